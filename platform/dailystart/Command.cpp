// Running another program with a time limit, its input fed and its output gathered without blocking.
#include "platform/dailystart/Command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>

#include "platform/dailystart/StartEnvironment.h"

namespace
{

void CloseBoth(int (&pipe)[2])
{
    for (int& fd : pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& args, const std::string& input, int timeoutMilliseconds,
                         const std::string& workingFolder)
{
    CommandResult result;
    if (args.empty())
        return result;
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        CloseBoth(in);
        CloseBoth(out);
        return result;
    }
    // A program that exits without reading all of its input must not end this one.
    static const bool ignorePipeSignals = [] { return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
    (void)ignorePipeSignals;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), CommandEnvironment());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in[0]);
    ::close(out[1]);
    in[0] = out[1] = -1;
    if (spawned != 0) {
        CloseBoth(in);
        CloseBoth(out);
        return result;
    }

    // Feed the input and gather the output together, so that neither side can block.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);
    size_t written = 0;
    if (input.empty())
        CloseBoth(in);
    bool timedOut = false;
    while (out[0] >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2] = {{out[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (::poll(fds, in[1] >= 0 ? 2 : 1, static_cast<int>(left)) < 0 && errno != EINTR)
            break;
        if (in[1] >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                written = input.size();
            if (written == input.size()) {
                ::close(in[1]);
                in[1] = -1;
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[4096];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n > 0)
                result.output.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR) {
                ::close(out[0]);
                out[0] = -1;
            }
        }
    }
    CloseBoth(in);
    CloseBoth(out);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool CommandExists(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}
