// The keys of the user's input, which WindowView delivers to the real widgets as the
// desktop delivers them; the desktop a test stands in, and what the user sees in it.
#pragma once

#include <functional>
#include <vector>

#include "platform/window/WinUser.h"

// Virtual key codes.
constexpr WORD VK_RETURN = 0x0D;
constexpr WORD VK_CONTROL = 0x11;
constexpr WORD VK_MENU = 0x12;  // Alt
constexpr WORD VK_ESCAPE = 0x1B;
constexpr WORD VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_HOME = 0x24, VK_LEFT = 0x25, VK_RIGHT = 0x27;  // Page Up, Down
constexpr WORD VK_OEM_PLUS = 0xBB, VK_OEM_MINUS = 0xBD;
// '0' to '9' and 'A' to 'Z' are their own codes.

// The desktop a test stands in: its interface font's point size and its widget style
// ("Fusion", "Adwaita"), for the windows made after. 0 and null give back the ones the
// test program started with. FALSE when the style is not installed.
BOOL SetDesktopForTesting(int pointSize, const char* style);
// The point size that assistive tools read back from a text box's text attributes; 0 if none.
int TextAttributePointSize(HWND control);

// Waits, as WaitUntil does, until done() holds, while the window system handles what comes
// meanwhile (a window's activation, say), as the message loop would.
bool WaitWhileWindowsRun(const std::function<bool()>& done, double seconds);

// What the user sees of a window's controls: each shown one, where it is, and whether its
// content (its text, its date) shows whole in it, in the style in use.
struct SeenControl {
    int id;
    RECT rect;
    bool whole;
};
std::vector<SeenControl> SeenControls(HWND dialog);
// How far the box of an unticked check box stands from its window, in grey levels, drawn in a
// dark palette whose text boxes have the window's colour.
int UntickedBoxApartInTheDark(HWND checkBox);
