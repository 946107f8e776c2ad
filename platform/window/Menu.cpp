// Menus built from the menu resources of a program, and the calls that read them.
#include "platform/window/Menu.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <utility>

namespace
{

const Menu::Item* ItemOf(HMENU menu, UINT item, UINT flags)
{
    if (menu == nullptr)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    for (const Menu::Item& entry : menu->items)
        if (entry.popup == nullptr && entry.id == item && entry.id != 0)
            return &entry;
    return nullptr;
}

}  // namespace

HMENU LoadMenu(HINSTANCE module, UINT id)
{
    // Menus live as long as the window system, which is as long as the program runs.
    static std::map<std::pair<HINSTANCE, UINT>, std::unique_ptr<Menu>> loaded;
    const auto key = std::make_pair(module, id);
    if (const auto it = loaded.find(key); it != loaded.end())
        return it->second.get();
    const MenuTemplate* resource = FindMenu(module, id);
    if (resource == nullptr)
        return nullptr;
    auto menu = std::make_unique<Menu>();
    for (const PopupTemplate& popupTemplate : resource->popups) {
        Menu::Item popup;
        popup.text = popupTemplate.text != nullptr ? popupTemplate.text : L"";
        popup.popup = std::make_unique<Menu>();
        for (const MenuItemTemplate& item : popupTemplate.items)
            popup.popup->items.push_back(Menu::Item{item.id, item.text != nullptr ? item.text : L"", nullptr});
        menu->items.push_back(std::move(popup));
    }
    return (loaded[key] = std::move(menu)).get();
}

HMENU GetSubMenu(HMENU menu, int position)
{
    const Menu::Item* item = position >= 0 ? ItemOf(menu, static_cast<UINT>(position), MF_BYPOSITION) : nullptr;
    return item != nullptr ? item->popup.get() : nullptr;
}

int GetMenuItemCount(HMENU menu)
{
    return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    const Menu::Item* item = position >= 0 ? ItemOf(menu, static_cast<UINT>(position), MF_BYPOSITION) : nullptr;
    if (item == nullptr || item->popup != nullptr)
        return static_cast<UINT>(-1);
    return item->id;
}

int GetMenuString(HMENU menu, UINT item, LPTSTR buffer, int bufferMax, UINT flags)
{
    const Menu::Item* entry = ItemOf(menu, item, flags);
    if (entry == nullptr)
        return 0;
    if (buffer == nullptr || bufferMax <= 0)
        return static_cast<int>(entry->text.size());
    const int length = std::min(static_cast<int>(entry->text.size()), bufferMax - 1);
    std::wmemcpy(buffer, entry->text.data(), static_cast<size_t>(length));
    buffer[length] = L'\0';
    return length;
}
