// How long the book reader takes to give a reading. It opens, reads and closes the book on
// every call, so this is the whole cost of a change of date apart from drawing.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/Paths.h"
#include "platform/testing/TestEnvironment.h"
#include "tools/PalmDatabase.h"

namespace
{

// A book of the sample book's size: 365 readings of about 120 words.
std::string MakeBook()
{
    std::string text;
    for (int word = 0; word < 120; ++word)
        text += (word % 15 == 14 ? "line\n" : "word ");
    return BuildPalmDatabase("Benchmark book", std::vector<std::string>(366, text));
}

void ReadRecordText(benchmark::State& state)
{
    ProgramFolder folder;
    folder.Write("solmiraverse.pdb", MakeBook());
    CBookFile book;
    book.OpenBook(DevicePathFromHostPath(folder.PathOf("solmiraverse.pdb")).c_str());
    const int index = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(book.ReadRecordText(index));
}
BENCHMARK(ReadRecordText)->Arg(1)->Arg(365);

}  // namespace

BENCHMARK_MAIN();
