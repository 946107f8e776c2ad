// How long the book reader takes to give a reading, against the bare reads it needs. It
// opens, reads and closes the book on every call, so this is the whole cost of a change of
// date apart from drawing; the bare reads open the book, read the count and the record's
// entries, read the record's bytes and close it. The two run in turn, so that both see the
// same machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/ByteOrder.h"
#include "platform/core/Paths.h"
#include "platform/testing/TestEnvironment.h"
#include "tools/PalmDatabase.h"

namespace
{

// Record index's bytes as the fewest reads give them: the count, the record's entry and the
// next one's, the record. The book is sound and index is not its last record.
std::string BareRead(const std::string& path, int index)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    unsigned char count[2] = {}, entries[12] = {};
    std::string bytes;
    if (::pread(fd, count, 2, 76) == 2 && index + 1 < static_cast<int>(GetBigEndian(count, 2)) &&
        ::pread(fd, entries, 12, 78 + 8 * index) == 12) {
        bytes.resize(GetBigEndian(entries + 8, 4) - GetBigEndian(entries, 4));
        bytes.resize(std::max<ssize_t>(0, ::pread(fd, &bytes[0], bytes.size(), GetBigEndian(entries, 4))));
    }
    ::close(fd);
    return bytes;
}

void ReadRecordTextAgainstBareReads(benchmark::State& state)
{
    // A book of the sample book's size: 365 readings of about 120 words.
    std::string text;
    for (int word = 0; word < 120; ++word)
        text += (word % 15 == 14 ? "line\n" : "word ");
    ProgramFolder folder;
    folder.Write("solmiraverse.pdb", BuildPalmDatabase("Benchmark book", std::vector<std::string>(366, text)));
    const std::string path = folder.PathOf("solmiraverse.pdb");
    CBookFile book;
    book.OpenBook(DevicePathFromHostPath(path).c_str());
    const int index = static_cast<int>(state.range(0));
    if (BareRead(path, index) != text || book.ReadRecordText(index).GetLength() != static_cast<int>(text.size()) + 8)
        return state.SkipWithError("the two reads do not give the record");
    double seconds[2] = {0, 0};  // the reader's, the bare reads'
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(book.ReadRecordText(index));
        const auto between = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(BareRead(path, index));
        seconds[0] += std::chrono::duration<double>(between - start).count();
        seconds[1] += std::chrono::duration<double>(std::chrono::steady_clock::now() - between).count();
    }
    state.counters["reader_us"] = 1e6 * seconds[0] / static_cast<double>(state.iterations());
    state.counters["bare_us"] = 1e6 * seconds[1] / static_cast<double>(state.iterations());
    state.counters["ratio"] = seconds[0] / seconds[1];
}
BENCHMARK(ReadRecordTextAgainstBareReads)->Arg(1)->Arg(364);

}  // namespace

BENCHMARK_MAIN();
