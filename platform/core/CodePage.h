// The device's 8-bit code page, Windows-1252, and its conversion to wide text.
#pragma once

#include "platform/core/Types.h"

constexpr UINT CP_ACP = 0;      // the device's 8-bit code page
constexpr UINT CP_1252 = 1252;  // which is Windows-1252

// The wide character of every byte of the device code page. The five bytes that
// Windows-1252 leaves undefined map to the C1 control of the same value, as on the device.
wchar_t WideCharFromAnsi(BYTE b);

// Converts cbMultiByte bytes of device text (-1: up to and including the terminating
// zero) to wide text. With cchWideChar 0 it returns the length needed; otherwise the
// number of characters written, or 0 when the buffer is too small. Every byte converts.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPTSTR wideChar,
                        int cchWideChar);
