// How long `solmira-book read` takes as a whole process, against `fortune -s`, the yardstick
// of a terminal reading: the two run in turn, so that both see the same machine. The tool
// finds the book beside the program itself and wraps it, as at a login.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dailystart/Command.h"

namespace
{

void BookToolReadAgainstFortune(benchmark::State& state)
{
    // The book beside the program, not one the environment names.
    ::unsetenv("SOLMIRA_BOOK");
    const std::vector<std::string> commands[] = {{SOLMIRA_BOOK_TOOL, "read", "--width", "80"},
                                                 {"/usr/games/fortune", "-s"}};
    double seconds[2] = {0, 0};  // the tool's, fortune's
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (RunCommand(commands[i]).status != 0)
                return state.SkipWithError("a run failed (fortune is in Debian's fortune-mod)");
            seconds[i] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    state.counters["tool_ms"] = 1000 * seconds[0] / static_cast<double>(state.iterations());
    state.counters["fortune_ms"] = 1000 * seconds[1] / static_cast<double>(state.iterations());
    state.counters["ratio"] = seconds[0] / seconds[1];
}
BENCHMARK(BookToolReadAgainstFortune)->Iterations(300)->Unit(benchmark::kMillisecond);

}  // namespace
