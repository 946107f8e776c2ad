// The tests' window calls on handles, read from the windows the window system keeps.
#include "platform/testing/WindowQueries.h"

#include <QApplication>

#include "platform/window/dialog/DialogWindow.h"

HWND GetParent(HWND window)
{
    return window != nullptr ? window->parent : nullptr;
}

HWND GetFocus()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr)
        if (QWidget* active = QApplication::activeModalWidget())
            focus = active->focusWidget();
    return focus != nullptr ? Window::Owning(focus) : nullptr;
}

BOOL IsWindowEnabled(HWND window)
{
    return window != nullptr && window->enabled ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    return window != nullptr && window->widget != nullptr && window->widget->isVisible() ? TRUE : FALSE;
}
