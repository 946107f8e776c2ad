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

void ReadRecordText(benchmark::State& state)
{
    // A book of the sample book's size: 365 readings of about 120 words.
    std::string text;
    for (int word = 0; word < 120; ++word)
        text += (word % 15 == 14 ? "line\n" : "word ");
    ProgramFolder folder;
    folder.Write("solmiraverse.pdb", BuildPalmDatabase("Benchmark book", std::vector<std::string>(366, text)));
    CBookFile book;
    book.OpenBook(DevicePathFromHostPath(folder.PathOf("solmiraverse.pdb")).c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(book.ReadRecordText(static_cast<int>(state.range(0))));
}
BENCHMARK(ReadRecordText)->Arg(1)->Arg(365);

}  // namespace

BENCHMARK_MAIN();
