// The device's 8-bit code page, Windows-1252, and its conversion to wide text.
#pragma once

#include <array>

#include "platform/core/Types.h"

// The wide character of each byte, by the byte's value: a table, since every reading is
// converted byte by byte.
extern const std::array<wchar_t, 256> kWideCharsOfAnsi;

// The wide character of every byte of the device code page. The five bytes that
// Windows-1252 leaves undefined map to the C1 control of the same value, as on the device.
inline wchar_t WideCharFromAnsi(BYTE b)
{
    return kWideCharsOfAnsi[b];
}
