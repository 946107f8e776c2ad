// The scripted user on the window system's own calls: a WH_CBT hook meets each modal
// window as it opens, a timer runs the step inside the window's modal run, and another
// timer is the watchdog.
#include "platform/testing/ScriptedUser.h"

namespace
{

ScriptedUser* g_user = nullptr;
constexpr UINT_PTR kStepTimer = 0x5C1;
constexpr UINT_PTR kWatchdogTimer = 0x5C2;

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
    std::wstring text(static_cast<size_t>(GetWindowTextLength(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowText(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND WindowView::Control(int id) const
{
    HWND control = GetDlgItem(m_window, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
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

void ScriptedUser::InstallGuard()
{
    static const HHOOK guard = SetWindowsHookEx(WH_CBT, &ScriptedUser::OnWindowActivated, nullptr, 0);
    (void)guard;
}

ScriptedUser::ScriptedUser()
{
    g_user = this;
}

ScriptedUser::~ScriptedUser()
{
    g_user = nullptr;
    for (const Step& step : m_steps)
        ADD_FAILURE() << "the window \"" << Utf8FromWide(step.caption) << "\" never opened";
}

LRESULT ScriptedUser::OnWindowActivated(int code, WPARAM wParam, LPARAM /*lParam*/)
{
    // The step runs inside the window's modal run, as the user's input would.
    if (code == HCBT_ACTIVATE)
        SetTimer(reinterpret_cast<HWND>(wParam), kStepTimer, 0, &ScriptedUser::RunStep);
    return 0;
}

void ScriptedUser::RunStep(HWND window, UINT, UINT_PTR, DWORD)
{
    KillTimer(window, kStepTimer);
    if (g_user != nullptr)
        g_user->Handle(window);
    else
        CloseUnhandled(window, "a window opened while no scripted user runs");
}

void ScriptedUser::OnWatchdog(HWND window, UINT, UINT_PTR, DWORD)
{
    KillTimer(window, kWatchdogTimer);
    CloseUnhandled(window, "the test left this window open");
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
    // A window the step leaves open fails the test, and is closed, within seconds. Its
    // timers end with it, so the watchdog only fires on a window still open.
    if (IsWindow(window))
        SetTimer(window, kWatchdogTimer, kWatchdogMilliseconds, &ScriptedUser::OnWatchdog);
}
