// The device's 8-bit code page, Windows-1252, and its conversion to wide text.
#pragma once

#include "platform/core/Types.h"

// The wide character of every byte of the device code page. The five bytes that
// Windows-1252 leaves undefined map to the C1 control of the same value, as on the device.
wchar_t WideCharFromAnsi(BYTE b);
