// The handheld shell: the title bar's Done button and the menu bar at the bottom of a
// window.
#pragma once

#include "platform/core/Types.h"

// SHDoneButton states.
constexpr DWORD SHDB_SHOW = 0x0001;
constexpr DWORD SHDB_HIDE = 0x0002;

// Shows or hides a window's Done button. Linux windows have no such button: the state is
// kept with the window, as its property kDoneButtonHidden (the window itself while hidden,
// null while shown), and the window manager's own close button stays as it is.
BOOL SHDoneButton(HWND window, DWORD state);
constexpr LPCTSTR kDoneButtonHidden = L"SHDoneButtonHidden";

struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;  // the menu-bar resource
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // out: the menu bar
};

// Puts the menu bar that a menu-bar resource describes along the bottom of a window. Each
// of its buttons opens a pop-up of the resource's menu; a choice in it reaches the window
// as a WM_COMMAND with the item's id.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
