// The window system's calls on handles: each finds the window a handle names and asks it,
// so that every kind of window answers in its own Proc.
#include "platform/window/WinUser.h"

#include "platform/window/MessageBoxWindow.h"
#include "platform/window/WorkArea.h"
#include "platform/window/controls/MenuBarControl.h"
#include "platform/window/dialog/DialogWindow.h"

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DeliverMessage(window, message, wParam, lParam);
}

HWND CreateDialogIndirectParam(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND owner, WNDPROC dialogProc,
                               LPARAM initParam)
{
    if (dialogTemplate == nullptr)
        return nullptr;
    DialogWindow* dialog = DialogWindow::Create(module, *dialogTemplate, owner, dialogProc, initParam);
    // The first control that takes the focus gets it when the procedure answers TRUE.
    Window* firstTabStop = dialog->FirstTabStop();
    if (DeliverMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam) &&
        firstTabStop != nullptr && firstTabStop->widget != nullptr)
        firstTabStop->widget->setFocus(Qt::OtherFocusReason);
    return dialog;
}

HWND CreateWindowEx(DWORD /*exStyle*/, LPCTSTR className, LPCTSTR /*windowName*/, DWORD style, int /*x*/, int /*y*/,
                    int /*cx*/, int /*cy*/, HWND parent, int id, HINSTANCE /*module*/, void* /*param*/)
{
    DialogWindow* dialog = AsDialog(parent);
    if (className == nullptr || std::wstring(className) != TOOLBARCLASSNAME)
        return nullptr;
    std::unique_ptr<MenuBarControl> bar = MenuBarControl::Create(dialog, id, style);
    if (bar == nullptr)
        return nullptr;
    HWND handle = bar.get();
    dialog->AddControl(std::move(bar));
    return handle;
}

int RunModalLoop(HWND window)
{
    DialogWindow* dialog = AsDialog(window);
    return dialog != nullptr && dialog->widget != nullptr ? dialog->RunModal() : -1;
}

BOOL EndDialog(HWND window, int result)
{
    DialogWindow* dialog = AsDialog(window);
    if (dialog == nullptr)
        return FALSE;
    dialog->End(result);
    return TRUE;
}

BOOL DestroyWindow(HWND window)
{
    // A stale handle is refused before it is looked at.
    DialogWindow* dialog = DialogWindow::IsAlive(window) ? AsDialog(window) : nullptr;
    if (dialog == nullptr)
        return FALSE;
    if (dialog->dialogProc != nullptr)
        dialog->dialogProc(dialog, WM_DESTROY, 0, 0);
    delete dialog;
    return TRUE;
}

int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT /*type*/)
{
    return MessageBoxWindow::Run(owner, text, caption);
}

HWND GetDlgItem(HWND window, int id)
{
    DialogWindow* dialog = AsDialog(window);
    return dialog != nullptr ? dialog->Control(id) : nullptr;
}

BOOL SetWindowText(HWND window, LPCTSTR text)
{
    return static_cast<BOOL>(SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    if (window == nullptr)
        return FALSE;
    const BOOL wasDisabled = window->enabled ? FALSE : TRUE;
    window->enabled = enable != FALSE;
    // A top-level window's input is blocked by the modal run instead.
    if (window->widget != nullptr && AsDialog(window) == nullptr)
        window->widget->setEnabled(window->enabled);
    return wasDisabled;
}

LONG GetWindowLong(HWND window, int index)
{
    return window != nullptr && index == GWL_STYLE ? static_cast<LONG>(window->style) : 0;
}

LONG SetWindowLong(HWND window, int index, LONG value)
{
    if (window == nullptr || index != GWL_STYLE)
        return 0;
    const LONG previous = static_cast<LONG>(window->style);
    window->style = static_cast<DWORD>(value);
    return previous;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags)
{
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    // SWP_FRAMECHANGED applies a changed style to the frame; no style the program changes
    // alters a Linux window's frame, so there is nothing more to do for it.
    if (!(flags & SWP_NOMOVE))
        window->widget->move(x, y);
    if (!(flags & SWP_NOSIZE))
        window->widget->resize(cx, cy);
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (window == nullptr || window->widget == nullptr || rect == nullptr)
        return FALSE;
    QRect frame = window->widget->frameGeometry();
    if (window->widget->parentWidget() != nullptr && !window->widget->isWindow())
        frame.moveTopLeft(window->widget->mapToGlobal(QPoint(0, 0)));
    *rect = RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
    return TRUE;
}

BOOL SetProp(HWND window, LPCTSTR name, HANDLE data)
{
    if (window == nullptr || name == nullptr)
        return FALSE;
    window->properties[name] = data;
    return TRUE;
}

BOOL SystemParametersInfo(UINT action, UINT /*param*/, void* value, UINT /*winIni*/)
{
    if (action != SPI_GETWORKAREA || value == nullptr)
        return FALSE;
    const QRect area = WorkArea();
    *static_cast<RECT*>(value) = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    return TRUE;
}

LPARAM GetWindowLongPtr(HWND window, int index)
{
    DialogWindow* dialog = AsDialog(window);
    return dialog != nullptr && index == GWLP_USERDATA ? dialog->userData : 0;
}
