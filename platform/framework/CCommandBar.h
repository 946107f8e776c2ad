// The framework's menu bar of a window: the shell's menu bar, put up from a resource.
#pragma once

#include "platform/core/Types.h"

class CWnd;

class CCommandBar
{
public:
    explicit CCommandBar(CWnd* owner) : m_pOwner(owner) {}

    // Puts up the menu bar that menu-bar resource menuBarId describes, along the bottom of
    // the owner window. bitmapId names the buttons' image strip; 0xFFFF: none.
    BOOL InsertMenuBar(UINT menuBarId, WORD bitmapId);

    HWND m_hWnd = nullptr;

private:
    CWnd* m_pOwner;
};
