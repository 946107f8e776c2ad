// A menu: what a menu handle points to. Its items are commands, separators or pop-ups.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/window/WinUser.h"

struct Menu {
    struct Item {
        UINT id = 0;  // the command; 0 for a separator or a pop-up
        std::wstring text;
        std::unique_ptr<Menu> popup;
    };
    std::vector<Item> items;
};
