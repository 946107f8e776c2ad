// A push button or a check box of a dialog: a click reaches the dialog as BN_CLICKED; the
// program reads and sets a check box with BM_GETCHECK and BM_SETCHECK. A button its window
// keeps hidden has no widget, and keeps its text and state all the same.
#pragma once

#include <memory>

#include "platform/window/Window.h"

struct DialogWindow;

struct ButtonControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text) override;

    static std::unique_ptr<Window> Create(DialogWindow* dialog, const DialogItemTemplate& item);

    bool checked = false;  // a check box's state, as the user or the program left it
};
