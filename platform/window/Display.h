// The display the window system opens, and why it could not: started with no display (at
// boot, before anyone logs in), or with none that answers, the program must end in good
// order rather than abort inside the toolkit.
#pragma once

#include <string>

// The display the window system would open, as the user would name it (":0", "wayland-0").
std::string DisplayName();
// The window systems for the toolkit to try, in order, as QT_QPA_PLATFORM names them: those
// it names, or else native Wayland and X11 where their display is set, the session's own
// first; each stands in for the other. Empty when there is none to try.
std::string WindowPlatforms();
// Whether that display accepts a connection now. A start by the user's service manager has
// the display of the current desktop session where one filled the manager's environment;
// where that answers not, the display of the registration (SOLMIRA_SAVED_DISPLAY, and so
// on) is put in its place and asked.
bool DisplayAnswers();
