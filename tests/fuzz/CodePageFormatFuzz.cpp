// Fuzz target: device text widened by the code page (against ICU's Windows-1252), then
// formatted as the program formats it: the verse heading, the line feeds widened, the
// next start's message, and wide text of any values through %s.
#include <unicode/ucnv.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/core/CodePage.h"
#include "platform/framework/CString.h"
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
    // The first 12 bytes taken in turn as numbers, the missing ones zero; the rest as text.
    std::size_t at = 0;
    const auto next = [&](int bytes) {
        unsigned value = 0;
        for (int i = 0; i < bytes; ++i, ++at)
            value = value << 8 | (at < size ? data[at] : 0u);
        return value;
    };
    const int verse = static_cast<int>(next(4));
    const unsigned day = next(2), year = next(2), hour = next(2), minute = next(2);
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

    const CString month(ansi.substr(0, 3).c_str());
    CString message;
    message.Format(L"DEDUVO will next run on %d of %s, %d at %d:%02d", day, static_cast<LPCTSTR>(month), year, hour,
                   minute);
    FUZZ_CHECK(message.Str() == L"DEDUVO will next run on " + std::to_wstring(day) + L" of " + month.Str() + L", " +
                                    std::to_wstring(year) + L" at " + std::to_wstring(hour) + L":" +
                                    (minute < 10 ? L"0" : L"") + std::to_wstring(minute));

    // Wide characters of any value, surrogates and values past Unicode included.
    std::wstring wide;
    for (std::size_t i = 12; i + 2 < size && (data[i] | data[i + 1] | data[i + 2]) != 0; i += 3)
        wide += static_cast<wchar_t>(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
    CString framed;
    framed.Format(L"[%s|%c]", wide.c_str(), wide.empty() ? L'-' : wide[0]);
    FUZZ_CHECK(framed.Str() == L"[" + wide + L"|" + (wide.empty() ? L'-' : wide[0]) + L"]");
    return 0;
}
