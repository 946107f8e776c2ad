// Resources as data: window templates, menus, the menu-bar record, the string table and
// images. A program's resources form one module, named by its instance handle.
#pragma once

#include <cstddef>

#include "platform/core/Types.h"

// A fixed array seen as a range, so that resource tables stay plain constant data.
template <class T>
struct ResourceTable {
    const T* items = nullptr;
    std::size_t count = 0;
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
};

template <class T, std::size_t N>
constexpr ResourceTable<T> MakeTable(const T (&items)[N])
{
    return ResourceTable<T>{items, N};
}

// Window classes of the controls in a template.
enum class ControlClass { Button, Edit, Static, DateTimePicker, MonthCalendar };

// One control of a window template. Rectangles are in dialog units. A picture control
// (SS_BITMAP) names its bitmap by imageId.
struct DialogItemTemplate {
    int id;
    ControlClass windowClass;
    LPCTSTR text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
    WORD imageId;
};

struct DialogTemplate {
    WORD id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    LPCTSTR caption;
    WORD pointSize;
    LPCTSTR typeface;
    ResourceTable<DialogItemTemplate> items;
};

// A menu: pop-ups, each a list of commands. An item with no text is a separator.
struct MenuItemTemplate {
    UINT id;
    LPCTSTR text;
};
struct PopupTemplate {
    LPCTSTR text;
    ResourceTable<MenuItemTemplate> items;
};
struct MenuTemplate {
    WORD id;
    ResourceTable<PopupTemplate> popups;
};

// The menu-bar record: the unsigned 16-bit values the shell reads to put up a menu bar.
struct MenuBarTemplate {
    WORD id;
    ResourceTable<WORD> values;
};

struct StringResource {
    UINT id;
    LPCTSTR text;
};

// An image resource: the bytes of an icon (.ico) or bitmap (.bmp) file.
struct ImageResource {
    WORD id;
    const unsigned char* data;
    std::size_t size;
};

struct ResourceModule {
    ResourceTable<DialogTemplate> dialogs;
    ResourceTable<MenuTemplate> menus;
    ResourceTable<MenuBarTemplate> menuBars;
    ResourceTable<StringResource> strings;
    ResourceTable<ImageResource> icons;
    ResourceTable<ImageResource> bitmaps;
};

const DialogTemplate* FindDialogTemplate(HINSTANCE module, UINT id);
const MenuTemplate* FindMenu(HINSTANCE module, UINT id);
const MenuBarTemplate* FindMenuBar(HINSTANCE module, UINT id);
LPCTSTR FindStringResource(HINSTANCE module, UINT id);
const ImageResource* FindIcon(HINSTANCE module, UINT id);
const ImageResource* FindBitmap(HINSTANCE module, UINT id);
