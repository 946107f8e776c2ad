// A scripted user for flow tests. The test lists, in order, the windows it expects to see
// and what the user does in each; every modal window the program opens (dialogs and
// message boxes) is matched against the next step by its caption. A window that no step
// expects, or one that a step leaves open, fails the test within seconds and is closed,
// so no test can hang.
#pragma once

#include <QDate>
#include <QPointer>
#include <QTime>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Types.h"

// A window as the user sees it, and what the user can do to it.
class WindowView
{
public:
    explicit WindowView(HWND window) : m_window(window) {}

    std::wstring Caption() const;
    // A message box's text, or a dialog's caption.
    std::wstring MessageText() const;
    // A control's text as the program would read it back.
    std::wstring ControlText(int id) const;
    bool Exists(int id) const;
    bool IsVisible(int id) const;
    bool IsEnabled(int id) const;
    // Whether the window itself takes input; an owner does not while its modal window runs.
    bool IsEnabled() const;
    bool HasFocus(int id) const;
    bool IsChecked(int id) const;
    // A date or time field's whole value.
    SYSTEMTIME Time(int id) const;
    bool HasIcon() const;
    // Whether the window is shown on screen yet.
    bool IsShown() const;
    // The window that owns this one.
    WindowView Owner() const;
    // The window's style bits, and the shell's Done button, which Linux only records.
    DWORD Style() const;
    bool DoneButtonShown() const;
    // The menu bar's buttons, each with the items of its pop-up: "&Options: About|-|&Settings".
    std::vector<std::wstring> MenuBar() const;
    QWidget* Widget() const;
    QWidget* ControlWidget(int id) const;

    // Clicks a visible push button with the mouse.
    void Click(int id) const;
    // Presses a key in the window, where the focus is.
    void Key(int qtKey) const;
    // Picks a date in a date field, as the drop-down calendar does.
    void PickDate(int id, const QDate& date) const;
    // Sets the time of day in a time field, as its up-down arrows do.
    void SetTime(int id, const QTime& time) const;
    // Types text into a date field, field by field as the keyboard does.
    void TypeInto(int id, const QString& keys) const;
    // Chooses a command from the window's menu bar.
    void ChooseMenuCommand(const QString& itemText) const;
    // Requests of hidden controls, which no user can reach: what the control would send.
    void PressHiddenButton(int id) const;
    void SelectHiddenCalendarDate(int id, const QDate& date) const;

private:
    HWND m_window;
};

class ScriptedUser
{
public:
    using Action = std::function<void(WindowView&)>;

    ScriptedUser();
    ~ScriptedUser();
    // Guards every modal window of the test program: one that opens while no script runs
    // fails the test and is closed. Installed once, by the test program's set-up.
    static void InstallGuard();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    // The next window to open has this caption; the user then does action. An action that
    // does not close the window leaves it to the watchdog, which fails the test.
    ScriptedUser& Expect(const std::wstring& caption, Action action);
    // Steps not yet used.
    std::size_t Remaining() const { return m_steps.size(); }

    // How long a window may stay open after its step has run.
    static constexpr int kWatchdogMilliseconds = 5000;

private:
    struct Step {
        std::wstring caption;
        Action action;
    };
    static void OnModalWindow(HWND window);
    void Handle(HWND window, QPointer<QWidget> alive);

    std::deque<Step> m_steps;
};
