// A scripted user for flow tests. The test lists, in order, the windows it expects to see
// and what the user does in each; every modal window the program opens (dialogs and
// message boxes) is matched against the next step by its caption. A window that no step
// expects, or one that a step leaves open, fails the test within seconds and is closed,
// so no test can hang. Windows are seen as the program sees them: handles, control ids,
// messages, SYSTEMTIME and styles.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/Utf8.h"
#include "platform/shell/Shell.h"
#include "platform/testing/SyntheticInput.h"
#include "platform/window/WinUser.h"

// A window's own text.
std::wstring WindowText(HWND window);

// A window as the user sees it, and what the user can do to it.
class WindowView
{
public:
    explicit WindowView(HWND window) : m_window(window) {}

    HWND Handle() const { return m_window; }
    // The control of that id; a test that names one the window lacks fails.
    HWND Control(int id) const;
    std::wstring Caption() const { return WindowText(m_window); }
    // A message box's text.
    std::wstring MessageText() const { return Exists(0xFFFF) ? WindowText(GetDlgItem(m_window, 0xFFFF)) : L""; }
    // A control's text as the program would read it back.
    std::wstring ControlText(int id) const { return WindowText(Control(id)); }
    bool Exists(int id) const { return GetDlgItem(m_window, id) != nullptr; }
    bool IsVisible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool IsChecked(int id) const { return SendMessage(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A date or time field's whole value.
    SYSTEMTIME Time(int id) const;
    // Whether the window is shown on screen yet.
    bool IsShown() const { return IsWindowVisible(m_window) != FALSE; }
    // The window that owns this one.
    WindowView Owner() const { return WindowView(GetParent(m_window)); }
    // Whether the window's Done button is shown, as the shell keeps it.
    bool DoneButtonShown() const { return GetProp(m_window, kDoneButtonHidden) == nullptr; }

    // What the user does. Each fails the test when no user could do it.
    void Click(int id) const { EXPECT_TRUE(UserClick(Control(id))) << "control " << id << " is not shown"; }
    void Key(WORD virtualKey) const { EXPECT_TRUE(UserKey(m_window, virtualKey)) << "the window is not shown"; }
    void PickDateTime(int id, const SYSTEMTIME& value) const
    {
        EXPECT_TRUE(UserPickDateTime(Control(id), value)) << "field " << id << " is not shown or is disabled";
    }
    void ChooseMenuCommand(UINT command) const
    {
        EXPECT_TRUE(UserChooseMenuItem(m_window, command)) << "no menu item " << command;
    }
    // What a hidden control would send, which no user can reach: a click of a button, and
    // a change of a calendar's selection.
    void PressHiddenButton(int id) const;
    void SelectHiddenCalendarDate(int id, const SYSTEMTIME& date) const;

private:
    HWND m_window;
};

class ScriptedUser
{
public:
    using Action = std::function<void(WindowView&)>;

    ScriptedUser();
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;
    // Guards every modal window of the test program: one that opens while no script runs
    // fails the test and is closed. Installed once, by the test program's set-up.
    static void InstallGuard();

    // The next window to open has this caption; the user then does action. An action that
    // does not close the window leaves it to the watchdog, which fails the test.
    ScriptedUser& Expect(const std::wstring& caption, Action action)
    {
        m_steps.push_back({caption, std::move(action)});
        return *this;
    }
    // Steps not yet used.
    std::size_t Remaining() const { return m_steps.size(); }

    // How long a window may stay open after its step has run.
    static constexpr UINT kWatchdogMilliseconds = 5000;

private:
    struct Step {
        std::wstring caption;
        Action action;
    };
    static LRESULT OnWindowActivated(int code, WPARAM wParam, LPARAM lParam);
    static void RunStep(HWND window, UINT, UINT_PTR, DWORD);
    static void OnWatchdog(HWND window, UINT, UINT_PTR, DWORD);
    void Handle(HWND window);

    std::deque<Step> m_steps;
};
