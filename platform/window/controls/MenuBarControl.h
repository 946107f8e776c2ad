// The menu bar along the bottom of a window: a tool bar of drop-down buttons, each opening
// a pop-up menu whose choices reach the window as WM_COMMAND with the item's id. It grows
// its window downwards, so the window's dialog area keeps its size.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/window/Window.h"

class QToolBar;
class QToolButton;

struct MenuBarControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::unique_ptr<MenuBarControl> Create(Window* parent, int id, DWORD style);

    // The button that opens the pop-up holding command, or null; the user's way to it.
    QToolButton* ButtonFor(UINT command) const;

private:
    struct Button {
        TBBUTTON info;
        std::wstring caption;
        QToolButton* widget;
    };
    LRESULT AddButtons(size_t count, const TBBUTTON* buttons);
    LRESULT GetButton(size_t index, TBBUTTON* button) const;
    HMENU SubMenu(UINT command) const;
    void Layout();

    std::vector<Button> m_buttons;
    int m_dialogHeight = 0;  // the window's height without the bar
};
