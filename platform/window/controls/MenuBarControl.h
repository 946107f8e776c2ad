// The menu bar along the bottom of a window: a tool bar of drop-down buttons, each opening
// a pop-up menu whose choices reach the window as WM_COMMAND with the item's id. It grows
// its window downwards, so the window's dialog area keeps its size.
#pragma once

#include <memory>

#include "platform/window/Window.h"

struct DialogWindow;

struct MenuBarControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::unique_ptr<MenuBarControl> Create(DialogWindow* dialog, int id, DWORD style);

private:
    LRESULT AddButtons(size_t count, const TBBUTTON* buttons);
};
