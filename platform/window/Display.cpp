// The window systems from the environment, and the X server or the Wayland compositor asked
// for a connection once the toolkit could not start: only then is it worth telling why.
#include "platform/window/Display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace
{

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A platform the toolkit draws on by itself (offscreen, for tests) needs no display.
bool NeedsNoDisplay()
{
    const std::string platform = Environment("QT_QPA_PLATFORM");
    return !platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0;
}

bool WaylandAnswers()
{
    const std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty())
        return false;
    const std::string path = name[0] == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers;
}

bool X11Answers()
{
    if (Environment("DISPLAY").empty())
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool AnyAnswers()
{
    return NeedsNoDisplay() || X11Answers() || WaylandAnswers();
}

// Puts the display saved at the registration in place of the current one; false when
// none was saved.
bool UseSavedDisplay()
{
    const std::string saved = Environment("SOLMIRA_SAVED_DISPLAY") + Environment("SOLMIRA_SAVED_WAYLAND_DISPLAY");
    if (saved.empty())
        return false;
    for (const std::string name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"}) {
        const std::string value = Environment(("SOLMIRA_SAVED_" + name).c_str());
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    return true;
}

}  // namespace

std::string WindowPlatforms()
{
    const std::string wanted = Environment("QT_QPA_PLATFORM");
    if (!wanted.empty())
        return wanted;
    const bool wayland = !Environment("WAYLAND_DISPLAY").empty(), x11 = !Environment("DISPLAY").empty();
    if (wayland && x11)
        return Environment("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb;wayland";
    return wayland ? "wayland" : x11 ? "xcb" : "";
}

std::string DisplayName()
{
    const std::string x11 = Environment("DISPLAY"), wayland = Environment("WAYLAND_DISPLAY");
    if (!x11.empty() && !wayland.empty())
        return wayland + " or " + x11;
    return !x11.empty() ? x11 : !wayland.empty() ? wayland : "none set";
}

bool DisplayAnswers()
{
    return AnyAnswers() || (UseSavedDisplay() && AnyAnswers());
}
