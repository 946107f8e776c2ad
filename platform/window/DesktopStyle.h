// The style the windows are drawn in: the desktop's own, with what some styles leave unseen
// made plain. The control that has the focus is always marked (the reading box and the push
// buttons too, which some styles mark no differently from the default button), and a check
// box shows against a dark window.
#pragma once

// Draws every window in the named style, or in the one the program started with when none is
// named; false when no such style is installed.
bool UseStyle(const char* name);
