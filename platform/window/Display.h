// Whether a display answers, before the window system is started on it: started with no
// display (at boot, before anyone logs in), the program must end in good order rather
// than abort inside the toolkit.
#pragma once

#include <string>

// The display the window system would open, as the user would name it (":0", "wayland-0").
std::string DisplayName();
// Whether that display accepts a connection now. A start by the user's service manager has
// the display of the current desktop session where one filled the manager's environment;
// where that answers not, the display of the registration (SOLMIRA_SAVED_DISPLAY, and so
// on) is put in its place and asked.
bool DisplayAnswers();
// Puts in QT_QPA_PLATFORM the window systems (of those it names, or else native Wayland and
// X11) that answer and whose toolkit plugin loads, so that the toolkit takes one that
// works rather than abort. False when none does.
bool ChooseWindowPlatform();
