// Finding a program's resources by id: window templates, menus, the menu-bar record,
// strings and images, all plain data.
#include "platform/core/Resources.h"

#include <algorithm>

namespace
{

template <class T>
const T* FindById(const ResourceTable<T>& table, UINT id)
{
    const auto found = std::find_if(table.begin(), table.end(), [id](const T& item) { return item.id == id; });
    return found == table.end() ? nullptr : found;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->dialogs, id) : nullptr;
}

const MenuTemplate* FindMenu(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->menus, id) : nullptr;
}

const MenuBarTemplate* FindMenuBar(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->menuBars, id) : nullptr;
}

LPCTSTR FindStringResource(HINSTANCE module, UINT id)
{
    const StringResource* found = module != nullptr ? FindById(module->strings, id) : nullptr;
    return found != nullptr ? found->text : nullptr;
}

const ImageResource* FindIcon(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->icons, id) : nullptr;
}

const ImageResource* FindBitmap(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->bitmaps, id) : nullptr;
}
