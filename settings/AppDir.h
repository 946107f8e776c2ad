// The directory of the running program, including its trailing backslash; empty when the
// program's path holds no backslash. Set once while the main window opens.
#pragma once

#include "platform/core/CString.h"

extern CString g_strAppDir;
