// The user's input, made by tests: clicks, keys, typing, picks and menu choices, delivered
// to the real widgets as the desktop delivers them, so that what follows (commands,
// notifications, nothing at all for a disabled control) is the window system's own doing.
// Each call returns FALSE when no user could make that input (a hidden control, say).
#pragma once

#include <vector>

#include "platform/window/WinUser.h"

// Virtual key codes.
constexpr WORD VK_TAB = 0x09;
constexpr WORD VK_RETURN = 0x0D;
constexpr WORD VK_ESCAPE = 0x1B;
constexpr WORD VK_SPACE = 0x20;
constexpr WORD VK_UP = 0x26;
constexpr WORD VK_DOWN = 0x28;
constexpr WORD VK_OEM_PLUS = 0xBB;
constexpr WORD VK_OEM_MINUS = 0xBD;
// '0' to '9' and 'A' to 'Z' are their own codes.

// A mouse click on a control; on a check box, on its box.
BOOL UserClick(HWND control);
// A key pressed in a window, where its focus is.
BOOL UserKey(HWND window, WORD virtualKey);
// Keys typed into a control after clicking into it; a date field takes them field by field
// from its first field, as the keyboard fills it.
BOOL UserType(HWND control, LPCTSTR keys);
// A date picked from a date field's drop-down calendar, or a time of day set with a time
// field's up-down arrows. The rest of the value is not the user's to change.
BOOL UserPickDateTime(HWND picker, const SYSTEMTIME& value);
// A command chosen from the drop-down menus of a window's menu bar.
BOOL UserChooseMenuItem(HWND window, UINT command);
// A key pressed with Ctrl held, as the zoom keys are.
BOOL UserControlKey(HWND window, WORD virtualKey);

// The desktop a test stands in: its interface font's point size and its widget style
// ("Fusion", "Adwaita"), for the windows made after. 0 and null give back the ones the
// test program started with. FALSE when the style is not installed.
BOOL SetDesktopForTesting(int pointSize, const char* style);
// The point size that assistive tools read back from a text box's text attributes; 0 if none.
int TextAttributePointSize(HWND control);

// What the user sees of a window's controls: each shown one, where it is, and whether its
// content (its text, its date) shows whole in it, in the style in use.
struct SeenControl {
    int id;
    RECT rect;
    bool whole;
};
std::vector<SeenControl> SeenControls(HWND dialog);
