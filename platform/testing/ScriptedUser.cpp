// The scripted user on the window system's observer of modal windows: it meets each one as
// it opens, a timer of the window runs the step inside the window's modal run, and another
// is the watchdog. A window's timers end with it.
#include "platform/testing/ScriptedUser.h"

#include <QTimer>

#include "platform/window/dialog/DialogWindow.h"

namespace
{

// Ends a window that the script does not handle, so that the test goes on.
void CloseUnhandled(HWND window, const std::string& why)
{
    const WindowView view(window);
    ADD_FAILURE() << why << ": \"" << Utf8FromWide(view.Caption()) << "\" with text \""
                  << Utf8FromWide(view.MessageText()) << "\"";
    EndDialog(window, IDCANCEL);
}

}  // namespace

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(SendMessage(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

HWND WindowView::Control(int id) const
{
    HWND control = GetDlgItem(m_window, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

bool WindowView::DoneButtonShown() const
{
    const auto hidden = m_window->properties.find(kDoneButtonHidden);
    return hidden == m_window->properties.end() || hidden->second == nullptr;
}

SYSTEMTIME WindowView::Time(int id) const
{
    SYSTEMTIME time{};
    EXPECT_EQ(SendMessage(Control(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)), GDT_VALID);
    return time;
}

void WindowView::PressHiddenButton(int id) const
{
    HWND button = Control(id);
    EXPECT_FALSE(IsWindowVisible(button)) << "a user can click button " << id;
    SendMessage(m_window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void WindowView::SelectHiddenCalendarDate(int id, const SYSTEMTIME& date) const
{
    HWND calendar = Control(id);
    EXPECT_TRUE(SendMessage(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date)));
    NMSELCHANGE change{};
    change.nmhdr = NMHDR{calendar, static_cast<UINT>(id), MCN_SELCHANGE};
    change.stSelStart = change.stSelEnd = date;
    SendMessage(m_window, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change));
}

ScriptedUser::~ScriptedUser()
{
    s_running = nullptr;
    for (const Step& step : m_steps)
        ADD_FAILURE() << "the window \"" << Utf8FromWide(step.caption) << "\" never opened";
}

// The step runs inside the window's modal run, as the user's input would.
void ScriptedUser::OnWindowActivated(HWND window)
{
    QTimer::singleShot(0, window->widget, [window] {
        if (s_running != nullptr)
            s_running->Handle(window);
        else
            CloseUnhandled(window, "a window opened while no scripted user runs");
    });
}

void ScriptedUser::Handle(HWND window)
{
    WindowView view(window);
    if (m_steps.empty() || m_steps.front().caption != view.Caption()) {
        CloseUnhandled(window, m_steps.empty() ? "a window opened that the test does not expect"
                                               : "expected \"" + Utf8FromWide(m_steps.front().caption) +
                                                     "\" but this window opened");
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step.action(view);
    // A window the step leaves open fails the test, and is closed, within seconds.
    if (DialogWindow::IsAlive(window))
        QTimer::singleShot(kWatchdogMilliseconds, window->widget,
                           [window] { CloseUnhandled(window, "the test left this window open"); });
}
