// A dialog window: a top-level window built from a window template with its controls,
// which runs modally until EndDialog. Message boxes are dialog windows too.
#pragma once

#include <memory>
#include <vector>

#include "platform/window/Window.h"

#include <QRect>

class QEventLoop;
class QFont;

// Dialog font metrics: dialog units to pixels, as the device computes them.
struct DialogUnits {
    int baseX = 0;
    int baseY = 0;
    int X(int units) const { return (units * baseX) / 4; }
    int Y(int units) const { return (units * baseY) / 8; }
    static DialogUnits Of(const QFont& font);
};

struct DialogWindow : Window {
    DialogWindow();
    ~DialogWindow() override;
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text) override;
    // The command Enter gives when the focus is not on a push button.
    virtual int DefaultCommand() const { return IDOK; }

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

    // Places the controls for the window's size: each at least as large as its content
    // needs in the style in use, pushing those below and to the right of it on; the
    // reading box takes any room beyond that. Returns the size the controls need.
    QSize Lay();
    // The bar along the bottom, which takes the window's width below the controls.
    void SetBottomBar(QWidget* bar);
    // The reading box's zoom, in points from the window's own size; remembered for the user.
    void Zoom(int steps, bool relative);
    // What the window leaves for the next start: its size, when the user may change it.
    void Remember() const;

    WNDPROC dialogProc = nullptr;
    LPARAM userData = 0;  // the framework's object for this window
    std::vector<std::unique_ptr<Window>> controls;
    DialogUnits units;
    WORD templateId = 0;
    QSize templateSize;
    // Each template control and its rectangle in pixels, as the template places it.
    struct Placed {
        Window* control;
        QRect rect;
    };
    std::vector<Placed> placed;
    // The box that takes the window's new room; a window that has one in an application
    // window may be resized.
    Window* readingBox = nullptr;
    bool resizable = false;
    QWidget* bottomBar = nullptr;
    int barHeight = 0;  // what the window has grown by for the bar
    int zoom = 0;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    QEventLoop* modalLoop = nullptr;
    bool modalEnded = false;
    int modalResult = 0;
};

// The dialog window a handle names, or null when it names another kind of window.
DialogWindow* AsDialog(HWND window);
// The platform's dialog font for a template's face and point size: the template's 8 points
// are the desktop's interface font, whatever its size, and other sizes keep their proportion.
QFont DialogFont(LPCTSTR typeface, int pointSize);
// The part of the screen that windows may use.
QRect WorkArea();
