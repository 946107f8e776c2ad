// How long `solmira-book read` takes as a whole process, against `fortune -s`, the yardstick
// of a terminal reading: the two run in turn, so that both see the same machine. The tool
// finds the book beside the program itself and wraps it, as at a login.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace
{

// Runs a command with its output thrown away; returns the seconds it took, or -1.
double TimedRun(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
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
