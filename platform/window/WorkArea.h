// The part of the screen that windows may use: what the window calls measure against, and
// what a window is cut to before it is shown.
#pragma once

#include <QRect>

// The primary screen's area without the desktop's panels; 640 x 480 when there is no screen.
QRect WorkArea();
