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
#include "platform/testing/WindowQueries.h"
#include "platform/window/Observers.h"
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
    // A message box's text; empty for another window, which has no such control.
    std::wstring MessageText() const { return WindowText(GetDlgItem(m_window, 0xFFFF)); }
    // A control's text as the program would read it back.
    std::wstring ControlText(int id) const { return WindowText(Control(id)); }
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
    bool DoneButtonShown() const;

    // What the user does, delivered to the real widgets as the desktop delivers it, so that
    // what follows (commands, notifications, nothing at all for a disabled control) is the
    // window system's own doing. Each fails the test when no user could do it.
    // A mouse click on a control; on a check box, on its box.
    void Click(int id) const;
    // A key pressed where the window's focus is; with Ctrl or Alt held when heldKey is
    // VK_CONTROL or VK_MENU, as the zoom keys and the day keys are.
    void Key(WORD virtualKey, WORD heldKey = 0) const;
    // One notch of the mouse wheel away from the user over a control, with Ctrl held.
    void CtrlWheel(int id) const;
    // Keys typed into a field after clicking into it; a date field takes them field by field
    // from its first field, as the keyboard fills it.
    void Type(int id, LPCTSTR keys) const;
    // A date picked from a date field's drop-down calendar, or a time of day set with a time
    // field's up-down arrows. The rest of the value is not the user's to change.
    void PickDateTime(int id, const SYSTEMTIME& value) const;
    // A date field's drop-down calendar opened with a click on its arrow, and closed again:
    // where it opened.
    RECT OpenDropDown(int id) const;
    // A command chosen from the drop-down menus of the window's menu bar.
    void ChooseMenuCommand(UINT command) const;
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

    ScriptedUser() { s_running = this; }
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;
    // Guards every modal window of the test program: one that opens while no script runs
    // fails the test and is closed. Installed once, by the test program's set-up.
    static void InstallGuard() { SetActivationObserverForTesting(&OnWindowActivated); }

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
    static void OnWindowActivated(HWND window);
    static inline ScriptedUser* s_running = nullptr;
    void Handle(HWND window);

    std::deque<Step> m_steps;
};
