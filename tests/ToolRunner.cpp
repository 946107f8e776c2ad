// Running the book tool in a child process: pipes or a pseudo-terminal, a fixed
// environment, an optional ordinary user and file size limit, and a deadline.
#include "tests/ToolRunner.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

namespace
{

constexpr int kDeadlineSeconds = 20;
constexpr uid_t kNobody = 65534;

std::vector<std::string> Environment(const ToolRun& run, const std::string& home)
{
    std::map<std::string, std::optional<std::string>> values;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            values[text.substr(0, equals)] = text.substr(equals + 1);
    }
    values["TZ"] = "UTC";
    values["HOME"] = home;
    values["XDG_DATA_HOME"] = home + "/.local/share";
    values["SOLMIRA_BOOK"] = std::nullopt;
    values["COLUMNS"] = std::nullopt;
    for (const auto& [name, value] : run.environment)
        values[name] = value;
    std::vector<std::string> environment;
    for (const auto& [name, value] : values)
        if (value)
            environment.push_back(name + "=" + *value);
    return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void StartTool(const ToolRun& run, int in, int out, int err, char** argv, char** envp)
{
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    if (run.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(run.fileSizeLimit), static_cast<rlim_t>(run.fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    }
    if (run.asOrdinaryUser && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        ::_exit(126);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

}  // namespace

ToolOutcome RunTool(const ToolRun& run, const std::string& home)
{
    std::vector<std::string> args = run.wrapper;
    args.push_back(run.tool);
    args.insert(args.end(), run.args.begin(), run.args.end());
    std::vector<std::string> environment = Environment(run, home);
    std::vector<char*> argv = Pointers(args), envp = Pointers(environment);

    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (run.terminal) {
        termios settings{};
        ::cfmakeraw(&settings);
        settings.c_oflag &= ~OPOST;  // the bytes as the tool writes them, no "\r" added
        winsize size{};
        size.ws_col = run.columns;
        size.ws_row = run.columns > 0 ? 24 : 0;
        EXPECT_EQ(::openpty(&outPipe[0], &outPipe[1], nullptr, &settings, &size), 0);
        ::fcntl(outPipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(outPipe[1], F_SETFD, FD_CLOEXEC);
    } else {
        EXPECT_EQ(::pipe2(outPipe, O_CLOEXEC), 0);
    }
    EXPECT_EQ(::pipe2(errPipe, O_CLOEXEC), 0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0)
        StartTool(run, in, outPipe[1], errPipe[1], argv.data(), envp.data());
    ::close(in);
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    ToolOutcome outcome;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    const auto deadline = start + std::chrono::seconds(kDeadlineSeconds);
    bool timedOut = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                // A pseudo-terminal ends with EIO once the tool has closed it.
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            ::close(fd.fd);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.status = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_FALSE(timedOut) << "solmira-book still ran after " << kDeadlineSeconds << " seconds";
    return outcome;
}
