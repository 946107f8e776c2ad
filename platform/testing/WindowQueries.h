// The window system's calls that only tests make, to read windows as the program would: a
// window's owner, the focus, and whether a window is enabled and shown.
#pragma once

#include "platform/window/WinUser.h"

// The dialog of a control; the owner of a top-level window.
HWND GetParent(HWND window);
// The control that has the keyboard focus in the active window, or null.
HWND GetFocus();
BOOL IsWindowEnabled(HWND window);
BOOL IsWindowVisible(HWND window);
