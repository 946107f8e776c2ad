// The framework's menu bar of a window: the shell's menu bar, put up from a resource.
#pragma once

#include "platform/core/Types.h"

class CWnd;

constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
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
    // where it is; the value is kept. False when the window has no bar.
    BOOL SetBarStyle(DWORD style);

    HWND m_hWnd = nullptr;
    DWORD m_dwStyle = 0;

private:
    CWnd* m_pOwner;
};
