// The window system's life on Qt: one QApplication for the program, kept open while
// windows come and go inside modal runs.
#include "platform/window/MessageLoop.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <QWindow>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/DesktopStyle.h"
#include "platform/window/Display.h"

namespace
{

std::unique_ptr<QApplication> g_application;
int g_starts = 0;
QtMessageHandler g_standardMessages = nullptr;
std::string g_localeForTesting;
void (*g_firstFrameHandler)() = nullptr;

// A window that comes on the screen is exposed, and its frame is drawn and flushed while
// the expose is handled: the handler runs once that is done, for the window's first expose.
class FirstFrameWatch : public QObject
{
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        static constexpr char kDrawn[] = "solmiraDrawn";
        if (event->type() == QEvent::Expose && object->isWindowType() && static_cast<QWindow*>(object)->isExposed() &&
            !object->property(kDrawn).toBool()) {
            object->setProperty(kDrawn, true);
            QTimer::singleShot(0, this, [] {
                if (g_firstFrameHandler != nullptr)
                    g_firstFrameHandler();
            });
        }
        return false;
    }
};

// The toolkit's messages while it starts wait here: a window system it could not start on
// says why, which the program's own line says better.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
std::vector<HeldMessage>* g_held = nullptr;
void (*g_onFailure)() = nullptr;
std::string g_display;

// Says why no window can open, and does what the program asked for then.
void TellNoWindow()
{
    const char* why = DisplayAnswers() ? "the toolkit has no working plugin for the display" : "no display answers";
    std::fprintf(stderr, "%s: %s (%s), so no window can open\n", program_invocation_short_name, why, g_display.c_str());
    if (g_onFailure != nullptr)
        g_onFailure();
}

// A platform that cannot do what a window asks for (such as raising itself on a display
// without a window manager) says so each time; that is no fault of the program's.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The toolkit ends the program itself where it finds no platform plugin at all (a
    // partial upgrade, a plugin of another version): it ends here in good order instead.
    if (g_held != nullptr && type == QtFatalMsg) {
        TellNoWindow();
        ::_exit(1);
    }
    if (g_held != nullptr)
        g_held->push_back({type, context.file, context.function, context.category, context.line, message});
    else if (!message.startsWith(QLatin1String("This plugin does not support")) && g_standardMessages != nullptr)
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

// Starts the toolkit on the first of the window systems that works; its own connection to
// the display is the check that one answers. The toolkit ends the program when none works,
// so a platform with no screen comes last, to start on instead: a start there is no start.
bool StartToolkit(int& argc, char** argv)
{
    const QString wanted = QString::fromStdString(WindowPlatforms());
    if (wanted.isEmpty())
        return false;
    const QByteArray userChoice = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", (wanted + QLatin1String(";offscreen")).toLocal8Bit());
    std::vector<HeldMessage> held;
    g_held = &held;
    g_application = std::make_unique<QApplication>(argc, argv);
    g_held = nullptr;
    if (userChoice.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    else
        qputenv("QT_QPA_PLATFORM", userChoice);
    QStringList names;
    for (const QString& platform : wanted.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        names << platform.section(QLatin1Char(':'), 0, 0).toLower();
    const QString taken = QGuiApplication::platformName();
    if (!names.contains(taken)) {
        g_application.reset();
        return false;
    }
    // Where the first window system started, nothing failed, and what the toolkit said stands.
    for (const HeldMessage& message : taken == names.first() ? held : std::vector<HeldMessage>()) {
        const QMessageLogContext context(message.file.constData(), message.line, message.function.constData(),
                                         message.category.constData());
        QuietMessages(message.type, context, message.text);
    }
    return true;
}

}  // namespace

BOOL StartWindowSystem(int& argc, char** argv, void (*onFailure)())
{
    if (g_starts > 0) {
        ++g_starts;
        return TRUE;
    }
    g_display = DisplayName();
    g_onFailure = onFailure;
    KeepOffAnAutolaunchedBus();
    g_standardMessages = qInstallMessageHandler(QuietMessages);
    bool started = StartToolkit(argc, argv);
    // Where the display does not answer, the one saved at the registration stands in.
    if (!started && DisplayAnswers() && DisplayName() != g_display)
        started = StartToolkit(argc, argv);
    if (!started) {
        // A later start finds the messages as they were.
        qInstallMessageHandler(g_standardMessages);
        TellNoWindow();
        return FALSE;
    }
    ++g_starts;
    // Windows come and go inside modal runs; the last one closing must not end them all.
    QApplication::setQuitOnLastWindowClosed(false);
    UseStyle(nullptr);
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

void SetFirstFrameHandler(void (*handler)())
{
    // Never destroyed: it may outlive the application object it watches.
    static FirstFrameWatch* const watch = new FirstFrameWatch;
    g_firstFrameHandler = handler;
    if (g_application != nullptr)
        g_application->installEventFilter(watch);
}

std::string SetWindowLocaleForTesting(std::string name)
{
    QLocale::setDefault(name.empty() ? QLocale::system() : QLocale(QString::fromStdString(name)));
    return std::exchange(g_localeForTesting, std::move(name));
}
