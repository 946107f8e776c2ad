// Paths in the handheld's form and the host's: backslashes against slashes, wide text
// against the host's file-name bytes, with escapes for what wide text cannot say plainly;
// and a host path split at its last slash.
#include "platform/core/Paths.h"

#include "platform/core/Utf8.h"

namespace
{

constexpr unsigned long kEscapedBackslash = 0xF05C;
constexpr unsigned long kFirstByteEscape = 0xDC80;
constexpr unsigned long kLastByteEscape = 0xDCFF;
constexpr unsigned long kReplacement = 0xFFFD;

bool IsEscapeCharacter(unsigned long c)
{
    return c == kEscapedBackslash || (c >= kFirstByteEscape && c <= kLastByteEscape);
}

}  // namespace

std::string HostPathFromDevicePath(LPCTSTR devicePath)
{
    std::string host;
    for (const wchar_t* p = devicePath != nullptr ? devicePath : L""; *p != L'\0'; ++p) {
        const auto c = static_cast<unsigned long>(*p);
        if (c == L'\\')
            host += '/';
        else if (c == kEscapedBackslash)
            host += '\\';
        else if (c >= kFirstByteEscape && c <= kLastByteEscape)
            host += static_cast<char>(c - 0xDC00);
        else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            AppendUtf8(host, kReplacement);  // no host path gives these
        else
            AppendUtf8(host, c);
    }
    return host;
}

std::wstring DevicePathFromHostPath(const std::string& hostPath)
{
    std::wstring device;
    for (std::size_t i = 0; i < hostPath.size();) {
        const std::size_t at = i;
        const long c = DecodeUtf8(hostPath, i);
        if (c == '/') {
            device += L'\\';
        } else if (c == '\\') {
            device += static_cast<wchar_t>(kEscapedBackslash);
        } else if (c >= 0 && !IsEscapeCharacter(static_cast<unsigned long>(c))) {
            device += static_cast<wchar_t>(c);
        } else {
            // Bytes the device form cannot carry as characters travel one by one.
            for (std::size_t k = at; k < i; ++k)
                device += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(hostPath[k]));
        }
    }
    return device;
}

std::string FolderOf(const std::string& hostPath)
{
    const std::string::size_type slash = hostPath.rfind('/');
    return slash == std::string::npos ? std::string() : hostPath.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const std::string& hostPath)
{
    return hostPath.substr(hostPath.rfind('/') + 1);
}
