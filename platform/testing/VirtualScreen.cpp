// Xvfb with -displayfd: the server picks a free display and writes its number when ready.
#include "platform/testing/VirtualScreen.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

VirtualScreen::VirtualScreen(const std::string& authority)
{
    const char* xvfb = "/usr/bin/Xvfb";
    int fds[2];
    if (::access(xvfb, X_OK) != 0 || ::pipe(fds) != 0)
        return;
    const std::string fd = std::to_string(fds[1]);
    m_server = ::fork();
    if (m_server == 0) {
        // -noreset: a server that started afresh whenever its last client left would turn
        // away a client that connects in that moment.
        const char* auth = authority.empty() ? nullptr : authority.c_str();
        ::execl(xvfb, "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "1024x768x24",
                auth != nullptr ? "-auth" : nullptr, auth, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // The number comes when the server is ready, ended by a line feed.
    FILE* in = ::fdopen(fds[0], "r");
    unsigned number = 0;
    if (in != nullptr && std::fscanf(in, "%u", &number) == 1)
        m_display = ":" + std::to_string(number);
    if (in != nullptr)
        std::fclose(in);
}

VirtualScreen::~VirtualScreen()
{
    if (m_server <= 0)
        return;
    ::kill(m_server, SIGTERM);
    while (::waitpid(m_server, nullptr, 0) < 0 && errno == EINTR) {
    }
}
