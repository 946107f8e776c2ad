// How long `solmira-book read` takes as a whole process, against `fortune -s`, the yardstick
// of a terminal reading: the two run in turn, so that both see the same machine. The tool
// finds the book beside the program itself and wraps it, as at a login.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/Command.h"

namespace
{

// Runs a command to its end; returns the seconds it took, or -1.
double TimedRun(const std::vector<std::string>& args)
{
    const auto start = std::chrono::steady_clock::now();
    if (RunCommand(args).status != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BookToolReadAgainstFortune(benchmark::State& state)
{
    const std::string fortune = "/usr/games/fortune";
    if (access(fortune.c_str(), X_OK) != 0) {
        state.SkipWithError("fortune is not installed (Debian package fortune-mod)");
        return;
    }
    // The book beside the program, not one the environment names.
    ::unsetenv("SOLMIRA_BOOK");
    const std::vector<std::string> tool = {SOLMIRA_BOOK_TOOL, "read", "--width", "80"};
    double toolSeconds = 0, fortuneSeconds = 0;
    for (auto _ : state) {
        const double t = TimedRun(tool), f = TimedRun({fortune, "-s"});
        if (t < 0 || f < 0) {
            state.SkipWithError("a run failed");
            return;
        }
        toolSeconds += t;
        fortuneSeconds += f;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["tool_ms"] = 1000 * toolSeconds / runs;
    state.counters["fortune_ms"] = 1000 * fortuneSeconds / runs;
    state.counters["ratio"] = toolSeconds / fortuneSeconds;
}
BENCHMARK(BookToolReadAgainstFortune)->Iterations(300)->Unit(benchmark::kMillisecond);

}  // namespace
