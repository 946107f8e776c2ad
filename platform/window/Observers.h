// Where tests watch the windows: each message about to reach a window procedure, and each
// modal window once it is shown and about to take input. One observer of each.
#pragma once

#include "platform/core/Types.h"

// Test seam: what sees each message before the window procedure does (null: nothing), as
// a recorder of commands and notifications. Returns the one it replaces.
using MessageObserver = void (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MessageObserver SetMessageObserverForTesting(MessageObserver observer);

// Test seam: what meets each modal window as it opens (null: nothing), as a scripted user
// does. Returns the one it replaces.
using ActivationObserver = void (*)(HWND window);
ActivationObserver SetActivationObserverForTesting(ActivationObserver observer);
