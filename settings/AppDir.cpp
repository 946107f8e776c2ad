// The program's directory, computed once by the main window's opening.
#include "settings/AppDir.h"

CString g_strAppDir;
