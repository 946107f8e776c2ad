// A multi-line text box. It keeps its text exactly as set; line ends ("\r\n") start a new
// line on screen. With EM_FMTLINES on, reading the text back inserts "\r\r\n" where a line
// wraps, as the device does.
#pragma once

#include <memory>

#include "platform/window/Window.h"

class QPlainTextEdit;
struct DialogWindow;

struct EditControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text) override;
    std::wstring GetText() const override;

    static std::unique_ptr<Window> Create(DialogWindow* dialog, const DialogItemTemplate& item);

    bool formatLines = false;

private:
    QPlainTextEdit* Editor() const;
};
