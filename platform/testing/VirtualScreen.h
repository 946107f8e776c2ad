// A virtual X server on a free display, for tests and benchmarks that need real windows.
#pragma once

#include <sys/types.h>

#include <string>

class VirtualScreen
{
public:
    // Starts Xvfb and waits until it takes connections; Display() is empty when it could
    // not be started (no Xvfb installed, say). With an authority file, only a client that
    // holds its cookie may connect.
    explicit VirtualScreen(const std::string& authority = "");
    ~VirtualScreen();
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    // ":N", as DISPLAY names it.
    const std::string& Display() const { return m_display; }

private:
    pid_t m_server = -1;
    std::string m_display;
};
