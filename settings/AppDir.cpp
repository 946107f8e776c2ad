#include "settings/AppDir.h"

CString g_strAppDir;
