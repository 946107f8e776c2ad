// Inside the window system: where the hooks that tests set are called.
#pragma once

#include "platform/window/WinUser.h"

// Calls the WH_CALLWNDPROC hooks with a message about to reach window's procedure.
void CallWndProcHooks(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the WH_CBT hooks with code for window.
void CallCbtHooks(int code, HWND window);
