// Whether a display answers, before the window system is started on it: started with no
// display (at boot, before anyone logs in), the program must end in good order rather
// than abort inside the toolkit.
#pragma once

#include <string>

// The display the window system would open, as the user would name it (":0", "wayland-0").
std::string DisplayName();
// Whether that display accepts a connection now.
bool DisplayAnswers();
