// The running program's own path, in the device's form (backslashes).
#pragma once

#include <string>

#include "platform/core/Types.h"

// Copies the program's full path into buffer, cut to fit and always terminated; returns
// the number of characters copied. module is ignored: the program has one module.
DWORD GetModuleFileName(HINSTANCE module, LPTSTR buffer, DWORD size);

// The program's full path in the host's form.
std::string ModuleHostPath();

// Test seam: the host path reported as the program's own (empty: the real one), as if the
// program started anew from there. Returns the one it replaces.
std::string SetModulePathForTesting(std::string hostPath);
