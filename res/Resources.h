// The program's resource module: window templates, menu, menu bar, strings and images.
#pragma once

#include "platform/core/Resources.h"

// The instance handle of the program's resources.
HINSTANCE ProgramResources();
