// The window system's life on Qt: one QApplication for the program, kept open while
// windows come and go inside modal runs.
#include "platform/window/MessageLoop.h"

#include <QApplication>
#include <QLocale>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/window/Display.h"

namespace
{

std::unique_ptr<QApplication> g_application;
int g_starts = 0;
QtMessageHandler g_standardMessages = nullptr;
std::string g_localeForTesting;

// A platform that cannot do what a window asks for (such as raising itself on a display
// without a window manager) says so each time; that is no fault of the program's.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")) && g_standardMessages != nullptr)
        g_standardMessages(type, context, message);
}

// A start outside a desktop session (an at job, say) has no session bus. The toolkit's
// desktop services would then launch a bus of their own, which costs the start a process
// and outlives the program; without a bus to join, they go without.
void KeepOffAnAutolaunchedBus()
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr)
        return;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && ::access((std::string(runtime) + "/bus").c_str(), F_OK) == 0)
        return;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace

BOOL StartWindowSystem(int& argc, char** argv)
{
    if (g_starts > 0) {
        ++g_starts;
        return TRUE;
    }
    const std::string display = DisplayName();
    if (!DisplayAnswers()) {
        std::fprintf(stderr, "%s: no display answers (%s), so no window can open\n", program_invocation_short_name,
                     display.c_str());
        return FALSE;
    }
    if (!ChooseWindowPlatform()) {
        std::fprintf(stderr, "%s: the toolkit has no working plugin for the display (%s), so no window can open\n",
                     program_invocation_short_name, display.c_str());
        return FALSE;
    }
    KeepOffAnAutolaunchedBus();
    ++g_starts;
    g_application = std::make_unique<QApplication>(argc, argv);
    g_standardMessages = qInstallMessageHandler(QuietMessages);
    // Windows come and go inside modal runs; the last one closing must not end them all.
    QApplication::setQuitOnLastWindowClosed(false);
    // The desktop entry's name ties the windows to the launcher and its icon where the
    // window class cannot (on Wayland, as the windows' application id).
    QGuiApplication::setDesktopFileName(QStringLiteral(SOLMIRA_DESKTOP_FILE_NAME));
    return TRUE;
}

void StopWindowSystem()
{
    if (g_starts > 0 && --g_starts == 0)
        g_application.reset();
}

std::string SetWindowLocaleForTesting(std::string name)
{
    QLocale::setDefault(name.empty() ? QLocale::system() : QLocale(QString::fromStdString(name)));
    return std::exchange(g_localeForTesting, std::move(name));
}
