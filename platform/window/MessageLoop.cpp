// The window system's life on Qt: one QApplication for the program, kept open while
// windows come and go inside modal runs.
#include "platform/window/MessageLoop.h"

#include <QApplication>
#include <QLocale>

#include <memory>

namespace
{

std::unique_ptr<QApplication> g_application;
int g_starts = 0;
QtMessageHandler g_standardMessages = nullptr;

// A platform that cannot do what a window asks for (such as raising itself on a display
// without a window manager) says so each time; that is no fault of the program's.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")) && g_standardMessages != nullptr)
        g_standardMessages(type, context, message);
}

}  // namespace

BOOL StartWindowSystem(int& argc, char** argv)
{
    if (g_starts++ > 0)
        return TRUE;
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

int RunMessageLoop()
{
    return QApplication::exec();
}

void PostQuitMessage(int exitCode)
{
    QApplication::exit(exitCode);
}

void SetWindowLocaleForTesting(const char* name)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(name)));
}
