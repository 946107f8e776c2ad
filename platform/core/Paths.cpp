// Paths in the handheld's form and the host's: backslashes against slashes, wide text
// against the host's UTF-8 file names.
#include "platform/core/Paths.h"

#include "platform/core/Utf8.h"

namespace
{

constexpr wchar_t kReplacement = 0xFFFD;

}  // namespace

std::string HostPathFromDevicePath(LPCTSTR devicePath)
{
    std::string host;
    for (const wchar_t* p = devicePath != nullptr ? devicePath : L""; *p != L'\0'; ++p) {
        const auto c = static_cast<unsigned long>(*p);
        if (c == L'\\')
            host += '/';
        else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            AppendUtf8(host, kReplacement);
        else
            AppendUtf8(host, c);
    }
    return host;
}

std::wstring DevicePathFromHostPath(const std::string& hostPath)
{
    std::wstring device;
    for (std::size_t i = 0; i < hostPath.size();) {
        const long c = DecodeUtf8(hostPath, i);
        device += c < 0 ? kReplacement : c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return device;
}
