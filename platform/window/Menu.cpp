// Menus built from the menu resources of a program, and their pop-ups.
#include "platform/window/Menu.h"

#include <map>
#include <utility>

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
    if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size())
        return nullptr;
    return menu->items[static_cast<size_t>(position)].popup.get();
}
