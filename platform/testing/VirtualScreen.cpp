// Xvfb with -displayfd: the server picks a free display and writes its number when ready.
#include "platform/testing/VirtualScreen.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

VirtualScreen::VirtualScreen()
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
        ::execl(xvfb, "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "1024x768x24",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // The number comes when the server is ready, ended by a line feed, maybe in parts.
    std::string number;
    char c = 0;
    ssize_t n = 0;
    while ((n = ::read(fds[0], &c, 1)) == 1 || (n < 0 && errno == EINTR))
        if (n == 1 && c != '\n')
            number += c;
        else if (n == 1)
            break;
    ::close(fds[0]);
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
        m_display = ":" + number;
}

VirtualScreen::~VirtualScreen()
{
    if (m_server <= 0)
        return;
    ::kill(m_server, SIGTERM);
    while (::waitpid(m_server, nullptr, 0) < 0 && errno == EINTR) {
    }
}
