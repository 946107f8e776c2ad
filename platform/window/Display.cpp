// Asking the X server or the Wayland compositor for a connection, as the toolkit would,
// without the toolkit's abort when none answers.
#include "platform/window/Display.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// Whether the toolkit's plugin for a window system (such as "wayland" or "xcb") can be
// loaded: a missing plugin, or one whose libraries are missing, would make the toolkit
// abort. Looked for where the toolkit looks, and kept loaded: the toolkit loads it next.
bool PluginLoads(const QString& platform)
{
    const QString file =
        QStringLiteral("libq%1.so").arg(platform == QLatin1String("wayland") ? "wayland-generic" : platform);
    QStringList folders;
    if (const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !own.isEmpty())
        folders << own;
    for (const QString& folder : qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << folder + QLatin1String("/platforms");
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforms");
    for (const QString& folder : folders) {
        const QByteArray path = QDir(folder).filePath(file).toLocal8Bit();
        if (::dlopen(path.constData(), RTLD_LAZY | RTLD_LOCAL) != nullptr)
            return true;
    }
    return false;
}

}  // namespace

bool ChooseWindowPlatform()
{
    QStringList wanted = qEnvironmentVariable("QT_QPA_PLATFORM").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (wanted.isEmpty()) {
        // Wayland natively in a Wayland session, X11 otherwise; each stands in for the other.
        const bool waylandFirst = !Environment("WAYLAND_DISPLAY").empty() &&
                                  (Environment("XDG_SESSION_TYPE") == "wayland" || Environment("DISPLAY").empty());
        wanted = waylandFirst ? QStringList{"wayland", "xcb"} : QStringList{"xcb", "wayland"};
    }
    QStringList usable;
    for (const QString& platform : wanted) {
        const QString name = platform.section(QLatin1Char(':'), 0, 0);
        if (name.startsWith(QLatin1String("wayland")) ? WaylandAnswers() && PluginLoads(name)
            : name == QLatin1String("xcb")            ? X11Answers() && PluginLoads(name)
                                                      : true)
            usable << platform;
    }
    if (usable.isEmpty())
        return false;
    ::setenv("QT_QPA_PLATFORM", usable.join(QLatin1Char(';')).toLocal8Bit().constData(), 1);
    return true;
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
