// The resource module the framework loads from: the program's own resources.
#pragma once

#include "platform/core/Types.h"

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
