// A dialog window: a top-level window built from a window template with its controls,
// which runs modally until EndDialog. Message boxes are dialog windows too.
#pragma once

#include <memory>
#include <vector>

#include "platform/window/Window.h"
#include "platform/window/dialog/DialogLayout.h"
#include "platform/window/dialog/DialogUnits.h"

class QEventLoop;
class ReadingZoom;

struct DialogWindow : Window {
    DialogWindow();
    ~DialogWindow() override;
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text) override;

    // Builds the window and its controls from a template; not shown.
    static DialogWindow* Create(HINSTANCE module, const DialogTemplate& dialogTemplate, HWND owner, WNDPROC dialogProc,
                                LPARAM userData);
    // Shows the window and runs its modal loop until EndDialog; returns the result.
    int RunModal();
    void End(int result);
    // The first visible, enabled control with a tab stop: it takes the focus at opening.
    Window* FirstTabStop() const;
    Window* Control(int id) const;
    void AddControl(std::unique_ptr<Window> control);
    // Whether a handle names a window that exists: a dialog window or one of its controls.
    static bool IsAlive(HWND window);

    // Gives the window's widget the icon set with WM_SETICON, its images decoded.
    void ShowIcon() const;
    // Brings the window, frame and all, within the screen's work area: a resizable one is cut
    // to it, and any one moved onto it, wherever it was placed and however its bar grew it.
    void FitWorkArea() const;
    // What the window leaves for the next start: its size, when the user may change it.
    void Remember() const;

    WNDPROC dialogProc = nullptr;
    LPARAM userData = 0;  // the framework's object for this window
    std::vector<std::unique_ptr<Window>> controls;
    DialogUnits units;
    WORD templateId = 0;
    DialogLayout layout;
    std::unique_ptr<ReadingZoom> zoom;  // when the window has a reading box
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    QEventLoop* modalLoop = nullptr;
    bool modalEnded = false;
    int modalResult = 0;
};

// The dialog window a handle names, or null when it names another kind of window.
DialogWindow* AsDialog(HWND window);
