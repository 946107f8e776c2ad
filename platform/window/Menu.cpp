// Menus built from the menu resources of a program, and the calls that read them.
#include "platform/window/Menu.h"

#include <map>
#include <utility>

namespace
{

const Menu::Item* ItemAt(HMENU menu, int position)
{
    return menu != nullptr && position >= 0 && static_cast<size_t>(position) < menu->items.size()
               ? &menu->items[static_cast<size_t>(position)]
               : nullptr;
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
    const Menu::Item* item = ItemAt(menu, position);
    return item != nullptr ? item->popup.get() : nullptr;
}

int GetMenuItemCount(HMENU menu)
{
    return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    const Menu::Item* item = ItemAt(menu, position);
    if (item == nullptr || item->popup != nullptr)
        return static_cast<UINT>(-1);
    return item->id;
}
