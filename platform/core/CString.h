// The framework's string: wide text, formatted by the device's rules, loaded from string
// resources, and made from device (Windows-1252) text.
#pragma once

#include <climits>
#include <string>

#include "platform/core/Types.h"

class CString
{
public:
    CString() = default;
    CString(LPCTSTR text);
    CString(LPCTSTR text, int length);
    // Device text in the 8-bit code page, widened.
    CString(LPCSTR ansiText);

    // The device's count is an int: a longer string counts as INT_MAX.
    int GetLength() const { return m_text.size() > INT_MAX ? INT_MAX : static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    operator LPCTSTR() const { return m_text.c_str(); }

    CString& operator+=(const CString& other);
    friend CString operator+(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }

    // printf-style formatting with the device's conventions: %s takes a wide string and
    // %c a wide character, whatever the host C library expects.
    void Format(LPCTSTR format, ...);
    // Loads a string from the program's resources; false (and the string unchanged) when
    // there is none with that id.
    BOOL LoadString(UINT id);
    // Replaces every occurrence of oldText, in one pass from the left; returns the count.
    int Replace(LPCTSTR oldText, LPCTSTR newText);
    int ReverseFind(TCHAR ch) const;
    CString Left(int count) const;

    const std::wstring& Str() const { return m_text; }

private:
    std::wstring m_text;
};
