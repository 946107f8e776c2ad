// Basic types, limits and constants of the handheld platform, as the program and the
// framework use them. Text is wide (wchar_t); on the handheld a wide character is UTF-16,
// here it is the host's wchar_t, which holds every character the device code page can give.
#pragma once

#include <climits>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WCHAR = wchar_t;
using TCHAR = wchar_t;
using LPCTSTR = const wchar_t*;
using LPTSTR = wchar_t*;
using LPCSTR = const char*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using HANDLE = void*;

#ifndef TRUE
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#endif

#define _T(x) L##x

// The longest path the platform hands out. The handheld's was 260 characters; here it is
// the host's, so that a program installed in a deep folder still finds the files beside it.
constexpr DWORD MAX_PATH = PATH_MAX;

// Handles. A window handle names a window of the platform's window system; an instance
// handle names the resource module the program was built with.
struct Window;
using HWND = Window*;
struct ResourceModule;
using HINSTANCE = const ResourceModule*;
struct IconImage;
using HICON = const IconImage*;
struct Menu;
using HMENU = Menu*;

// The platform's broken-down local time. Every field is 16 bits, in this order.
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The header of every notification a control sends to its owner.
struct NMHDR {
    HWND hwndFrom;
    UINT idFrom;
    int code;
};

constexpr WORD LOWORD(WPARAM w)
{
    return static_cast<WORD>(w & 0xFFFF);
}
constexpr WORD HIWORD(WPARAM w)
{
    return static_cast<WORD>((w >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi)
{
    return static_cast<WPARAM>(lo) | (static_cast<WPARAM>(hi) << 16);
}

// Standard command ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Message box flags: an OK button and no icon is the only kind the program shows.
constexpr UINT MB_OK = 0x00000000;
