// A window of the window system: what a window handle points to, a Qt widget with the
// state the platform keeps for it. Each kind of window derives from it and answers its
// requests in Proc, a switch that turns a message into a typed call.
#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <string>

#include "platform/window/WinUser.h"

struct Window {
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // The window procedure. The base answers what every window answers: its text.
    virtual LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void SetText(const std::wstring& text);
    virtual std::wstring GetText() const { return text; }

    // Makes widget this window's, so that input to it can be traced back to the window.
    void Adopt(QWidget* widget);
    // The window whose widget holds this one, or null.
    static Window* Owning(const QWidget* widget);

    QPointer<QWidget> widget;
    Window* parent = nullptr;  // a control's dialog, or a top-level window's owner
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool enabled = true;
    std::wstring text;
    std::map<std::wstring, HANDLE> properties;
};

// Delivers a message to a window's procedure, as SendMessage does: the message observer
// sees it first. Every command and notification goes this way.
LRESULT DeliverMessage(Window* window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends a WM_COMMAND from a control (or a menu) to its dialog, as a click or a choice does.
void SendCommand(Window* dialog, int id, WORD code, Window* from);
// Sends a WM_NOTIFY from a control to its dialog.
LRESULT SendNotify(Window* from, NMHDR* header);
