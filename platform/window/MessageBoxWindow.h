// A message box: a modal window with a text and one OK button, no icon, owned by the
// window that shows it. However it is closed, it ends with IDOK.
#pragma once

#include "platform/window/dialog/DialogWindow.h"

struct MessageBoxWindow : DialogWindow {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows the box and runs it until it is closed; returns the button pressed.
    static int Run(HWND owner, LPCTSTR text, LPCTSTR caption);

    // The id of a message box's text, as on the device.
    static constexpr int kTextId = 0xFFFF;
};
