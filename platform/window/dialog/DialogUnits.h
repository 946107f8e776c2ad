// Dialog units: a template's measures in pixels, from the font of the window they are in,
// as the device computes them; and the font a template's face and point size give here.
#pragma once

#include "platform/core/Types.h"

class QFont;

struct DialogUnits {
    int baseX = 0;
    int baseY = 0;
    int X(int units) const { return (units * baseX) / 4; }
    int Y(int units) const { return (units * baseY) / 8; }
    static DialogUnits Of(const QFont& font);
};

// The platform's dialog font for a template's face and point size: the template's 8 points
// are the desktop's interface font, whatever its size, and other sizes keep their proportion.
QFont DialogFont(LPCTSTR typeface, int pointSize);
