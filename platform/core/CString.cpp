// The framework's wide string: device formatting rules, string resources, code-page text.
#include "platform/core/CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/core/CodePage.h"
#include "platform/core/ResourceHandle.h"
#include "platform/core/Resources.h"

namespace
{

// The longest formatted text Format makes; a longer one is cut here rather than grown
// without bound.
constexpr size_t kMaxFormattedLength = size_t{1} << 24;

// Rewrites a device format for the host's wide printf: there a bare %s and %c take narrow
// arguments, on the device they take wide ones.
std::wstring HostFormat(LPCTSTR format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p != L'\0'; ++p) {
        out += *p;
        if (*p != L'%')
            continue;
        ++p;
        // Flags, width, precision.
        while (*p != L'\0' && std::wcschr(L"-+ #0123456789.*", *p) != nullptr)
            out += *p++;
        bool hasLength = false;
        while (*p != L'\0' && std::wcschr(L"hlLqjzt", *p) != nullptr) {
            out += *p++;
            hasLength = true;
        }
        if (*p == L'\0')
            break;
        if (!hasLength && (*p == L's' || *p == L'c'))
            out += L'l';
        out += *p;
    }
    return out;
}

}  // namespace

CString::CString(LPCTSTR text) : m_text(text != nullptr ? text : L"") {}

CString::CString(LPCTSTR text, int length) : m_text(text, static_cast<size_t>(length > 0 ? length : 0)) {}

CString::CString(LPCSTR ansiText)
{
    if (ansiText == nullptr)
        return;
    // Byte by byte, with the length as the string's own size: no count narrowed to int.
    m_text.resize(std::strlen(ansiText));
    for (wchar_t& c : m_text)
        c = WideCharFromAnsi(static_cast<BYTE>(*ansiText++));
}

CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

void CString::Format(LPCTSTR format, ...)
{
    const std::wstring hostFormat = HostFormat(format);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vswprintf(buffer.data(), buffer.size(), hostFormat.c_str(), args);
        va_end(args);
        if (written >= 0) {
            m_text.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        // vswprintf gives no length on overflow: grow and try again.
        if (buffer.size() >= kMaxFormattedLength) {
            m_text.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
            return;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

BOOL CString::LoadString(UINT id)
{
    LPCTSTR text = FindStringResource(AfxGetResourceHandle(), id);
    if (text == nullptr)
        return FALSE;
    m_text = text;
    return TRUE;
}

int CString::Replace(LPCTSTR oldText, LPCTSTR newText)
{
    const std::wstring from(oldText != nullptr ? oldText : L"");
    const std::wstring to(newText != nullptr ? newText : L"");
    if (from.empty())
        return 0;
    std::wstring out;
    int count = 0;
    size_t start = 0;
    for (size_t at = m_text.find(from); at != std::wstring::npos; at = m_text.find(from, start)) {
        out.append(m_text, start, at - start);
        out += to;
        start = at + from.size();
        ++count;
    }
    if (count == 0)
        return 0;
    out.append(m_text, start, std::wstring::npos);
    m_text.swap(out);
    return count;
}

int CString::ReverseFind(TCHAR ch) const
{
    const size_t at = m_text.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const
{
    if (count <= 0)
        return CString();
    return CString(m_text.c_str(), std::min(count, GetLength()));
}
