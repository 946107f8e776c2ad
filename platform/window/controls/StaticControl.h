// A static text, or a picture (SS_BITMAP) that shows a bitmap of the program's resources
// at its own size.
#pragma once

#include <memory>

#include "platform/window/Window.h"

struct DialogWindow;

struct StaticControl : Window {
    void SetText(const std::wstring& text) override;

    static std::unique_ptr<Window> Create(DialogWindow* dialog, const DialogItemTemplate& item, HINSTANCE module);
};
