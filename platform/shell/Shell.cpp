// The handheld shell on the window system: the Done button's state is a window property,
// and a menu-bar record becomes a tool bar of drop-down buttons over the record's menu.
#include "platform/shell/Shell.h"

#include <vector>

#include "platform/window/WinUser.h"

namespace
{

// A menu-bar record: the menu id and the button count, then seven values a button.
constexpr size_t kHeaderValues = 2;
constexpr size_t kButtonValues = 7;

}  // namespace

BOOL SHDoneButton(HWND window, DWORD state)
{
    if (window == nullptr || (state != SHDB_SHOW && state != SHDB_HIDE))
        return FALSE;
    return SetProp(window, kDoneButtonHidden, state == SHDB_HIDE ? window : nullptr);
}

BOOL SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (info == nullptr || info->hwndParent == nullptr)
        return FALSE;
    const MenuBarTemplate* record = FindMenuBar(info->hInstRes, info->nToolBarId);
    if (record == nullptr || record->values.count < kHeaderValues)
        return FALSE;
    const WORD* values = record->values.items;
    HMENU menu = LoadMenu(info->hInstRes, values[0]);
    const size_t buttonCount = values[1];
    if (menu == nullptr || record->values.count < kHeaderValues + buttonCount * kButtonValues)
        return FALSE;

    // Each button: image, command, state, style, caption string, a second string (a
    // tooltip on the device; this bar shows captions only) and the pop-up it opens.
    std::vector<TBBUTTON> buttons;
    for (size_t b = 0; b < buttonCount; ++b) {
        const WORD* v = values + kHeaderValues + b * kButtonValues;
        TBBUTTON button{};
        button.iBitmap = v[0] == static_cast<WORD>(I_IMAGENONE) ? I_IMAGENONE : v[0];
        button.idCommand = v[1];
        button.fsState = static_cast<BYTE>(v[2]);
        button.fsStyle = static_cast<BYTE>(v[3]);
        button.iString = reinterpret_cast<INT_PTR>(FindStringResource(info->hInstRes, v[4]));
        button.dwData = reinterpret_cast<DWORD_PTR>(GetSubMenu(menu, v[6]));
        buttons.push_back(button);
    }
    HWND bar = CreateWindowEx(0, TOOLBARCLASSNAME, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
                              info->hwndParent, 0, info->hInstRes, nullptr);
    if (bar == nullptr)
        return FALSE;
    SendMessage(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessage(bar, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    info->hwndMB = bar;
    return TRUE;
}
