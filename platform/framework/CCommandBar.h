// The framework's menu bar of a window: the shell's menu bar, put up from a resource.
#pragma once

#include "platform/core/Types.h"

class CWnd;

// A bar that may stand at any edge of its window.
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

class CCommandBar
{
public:
    explicit CCommandBar(CWnd* owner) : m_pOwner(owner) {}

    // Puts up the menu bar that menu-bar resource menuBarId describes, along the bottom of
    // the owner window. bitmapId names the buttons' image strip; 0xFFFF: none.
    BOOL InsertMenuBar(UINT menuBarId, WORD bitmapId);

    // Which edges of the window the bar may stand at (CBRS_ALIGN_ANY: any). A window's
    // menu bar stands at its bottom edge, which every such value allows, so the bar stays
    // where it is. False when the window has no bar.
    BOOL SetBarStyle(DWORD style);

    HWND m_hWnd = nullptr;

private:
    CWnd* m_pOwner;
};
