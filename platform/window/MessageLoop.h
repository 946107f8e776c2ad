// The window system's life: started once before the first window, and stopped after the
// last.
#pragma once

#include <string>

#include "platform/core/Types.h"

// Starts the window system on the desktop's display, with the program's command line.
// Each start is matched by a stop; the window system ends at the last one, so that a test
// program can keep it across many runs of the program. Where no window can open, one line
// on standard error says why and onFailure runs; then the result is FALSE, or, where the
// toolkit would end the program itself, the program ends with status 1.
BOOL StartWindowSystem(int& argc, char** argv, void (*onFailure)() = nullptr);
void StopWindowSystem();

// Calls handler each time a window has come on the screen and drawn its first frame there,
// so that work the frame does not need can wait for it; null calls nothing. Set while the
// window system runs.
void SetFirstFrameHandler(void (*handler)());

// Test seam: the locale whose formats the date and time fields show ("en_US", say), in
// place of the desktop's (empty: the desktop's). Returns the one it replaces.
std::string SetWindowLocaleForTesting(std::string name);
