// Fuzz target: device text widened by the code page (against ICU's Windows-1252), then
// formatted as the program formats it: the verse heading with the line feeds widened, and
// wide text of any values through %s and %c.
#include <unicode/ucnv.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/core/CString.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{

std::wstring Icu1252(const std::string& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    static UConverter* converter = ucnv_open("windows-1252", &status);
    std::u16string wide(bytes.size() + 1, u'\0');
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
    FUZZ_CHECK(U_SUCCESS(status));
    return std::wstring(wide.begin(), wide.begin() + length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first 4 bytes are the verse, the next 8 unused (the seed corpus keeps that layout),
    // and the rest is text.
    int verse = 0;
    for (std::size_t i = 0; i < 4; ++i)
        verse = static_cast<int>(static_cast<unsigned>(verse) << 8 | (i < size ? data[i] : 0u));
    const std::string rest(reinterpret_cast<const char*>(data) + std::min<std::size_t>(size, 12),
                           size - std::min<std::size_t>(size, 12));

    // The device text ends at its first zero byte, as a record's text does.
    const std::string ansi = rest.substr(0, rest.find('\0'));
    const CString text(ansi.c_str());
    FUZZ_CHECK(text.Str() == Icu1252(ansi));
    FUZZ_CHECK(text.GetLength() == static_cast<int>(ansi.size()));

    CString widened(text);
    std::wstring expected;
    for (const wchar_t c : text.Str())
        expected += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    widened.Replace(L"\n", L"\r\n");
    CString shown;
    shown.Format(L"Verse %d:\r\n\r\n%s", verse, static_cast<LPCTSTR>(widened));
    FUZZ_CHECK(shown.Str() == L"Verse " + std::to_wstring(verse) + L":\r\n\r\n" + expected);

    // Wide characters of any value, surrogates and values past Unicode included.
    std::wstring wide;
    for (std::size_t i = 12; i + 2 < size && (data[i] | data[i + 1] | data[i + 2]) != 0; i += 3)
        wide += static_cast<wchar_t>(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
    CString framed;
    framed.Format(L"[%s|%c]", wide.c_str(), wide.empty() ? L'-' : wide[0]);
    FUZZ_CHECK(framed.Str() == L"[" + wide + L"|" + (wide.empty() ? L'-' : wide[0]) + L"]");
    return 0;
}
