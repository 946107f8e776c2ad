// How long `solmira-book read BOOK` takes as a whole process, against `cat BOOK` of the same
// book, the least a program that reads the book can take: the two run in turn, so that both
// see the same machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/dailystart/Command.h"

namespace
{

void BookToolReadAgainstCat(benchmark::State& state)
{
    const std::string book = SOLMIRA_PROGRAM_DIR "/solmiraverse.pdb";
    const std::vector<std::string> commands[] = {{SOLMIRA_BOOK_TOOL, "read", book}, {"cat", book}};
    double seconds[2] = {0, 0};  // the tool's, cat's
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (RunCommand(commands[i]).status != 0)
                return state.SkipWithError("a run failed");
            seconds[i] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    state.counters["tool_ms"] = 1000 * seconds[0] / static_cast<double>(state.iterations());
    state.counters["cat_ms"] = 1000 * seconds[1] / static_cast<double>(state.iterations());
    state.counters["ratio"] = seconds[0] / seconds[1];
}
BENCHMARK(BookToolReadAgainstCat)->Iterations(300)->Unit(benchmark::kMillisecond);

}  // namespace
