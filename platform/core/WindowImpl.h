// Inside the window system: what a window handle points to. Only the platform (and its
// testing side) sees this; the framework and the program see handles.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Window.h"

class QEventLoop;

// A window: a Qt widget plus the state the platform keeps for it. Each kind of control
// answers its requests in Proc, as a switch from a message to a typed call.
struct Window {
    virtual ~Window();
    // The window procedure. The base answers what every window answers: text, icons.
    virtual LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void SetText(const std::wstring& text);
    virtual std::wstring GetText() const { return text; }

    QPointer<QWidget> widget;
    Window* parent = nullptr;  // a control's dialog, or a top-level window's owner
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool enabled = true;
    std::wstring text;
};

// Dialog font metrics: dialog units to pixels, as the device computes them.
struct DialogUnits {
    int baseX = 0;
    int baseY = 0;
    int X(int units) const { return (units * baseX) / 4; }
    int Y(int units) const { return (units * baseY) / 8; }
};

// A top-level window: a dialog built from a template, or a message box.
struct TopLevelWindow : Window {
    ~TopLevelWindow() override;
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text) override;
    // The command Enter gives when the focus is not on a push button.
    virtual int DefaultCommand() const { return IDOK; }

    WNDPROC dialogProc = nullptr;
    LPARAM userData = 0;  // the framework's object for this window
    std::vector<std::unique_ptr<Window>> controls;
    DialogUnits units;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    bool doneButtonShown = true;  // the shell's title-bar Done button
    Window* menuBar = nullptr;    // owned by controls once put up
    QEventLoop* modalLoop = nullptr;
    bool modalEnded = false;
    int modalResult = 0;
};

// Builds a control of a template in a dialog; null for an unknown class.
std::unique_ptr<Window> CreateControl(TopLevelWindow* dialog, const DialogItemTemplate& item, HINSTANCE module);
// Sends a WM_COMMAND from a control to its dialog, as a click or a menu choice does.
void SendCommand(Window* dialog, int id, WORD code, Window* from);
// Sends a WM_NOTIFY from a control to its dialog.
LRESULT SendNotify(Window* from, NMHDR* header);
// The platform's dialog font for a template's face and point size.
QFont DialogFont(LPCTSTR typeface, int pointSize);

// Test seam: called with every window whose modal run has just started, after it is shown.
using ModalHook = void (*)(HWND);
void SetModalHook(ModalHook hook);
