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

// The input's bytes taken in turn as numbers.
class Numbers
{
public:
    Numbers(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    unsigned Next(int bytes)
    {
        unsigned value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | (m_at < m_size ? m_data[m_at++] : 0u);
        return value;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

std::wstring Icu1252(const std::string& bytes)
{
    static UConverter* converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-1252", &status);
        FUZZ_CHECK(U_SUCCESS(status));
        return c;
    }();
    std::u16string wide(bytes.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
    FUZZ_CHECK(U_SUCCESS(status));
    return std::wstring(wide.begin(), wide.begin() + length);
}

std::wstring TwoDigits(unsigned value)
{
    return (value < 10 ? L"0" : L"") + std::to_wstring(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Numbers numbers(data, size);
    const int verse = static_cast<int>(numbers.Next(4));
    const unsigned day = numbers.Next(2), year = numbers.Next(2), hour = numbers.Next(2), minute = numbers.Next(2);
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
    FUZZ_CHECK(widened.Str() == expected);

    CString shown;
    shown.Format(L"Verse %d:\r\n\r\n%s", verse, static_cast<LPCTSTR>(widened));
    FUZZ_CHECK(shown.Str() == L"Verse " + std::to_wstring(verse) + L":\r\n\r\n" + expected);

    const CString month(ansi.substr(0, 3).c_str());
    CString message;
    message.Format(L"DEDUVO will next run on %d of %s, %d at %d:%02d", day, static_cast<LPCTSTR>(month), year, hour,
                   minute);
    FUZZ_CHECK(message.Str() == L"DEDUVO will next run on " + std::to_wstring(day) + L" of " + month.Str() + L", " +
                                    std::to_wstring(year) + L" at " + std::to_wstring(hour) + L":" + TwoDigits(minute));

    // Wide characters of any value, surrogates and values past Unicode included.
    std::wstring wide;
    for (std::size_t i = 12; i + 2 < size; i += 3) {
        const wchar_t c = static_cast<wchar_t>(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
        if (c == L'\0')
            break;
        wide += c;
    }
    CString framed;
    framed.Format(L"[%s|%c]", wide.c_str(), wide.empty() ? L'-' : wide[0]);
    FUZZ_CHECK(framed.Str() == L"[" + wide + L"|" + (wide.empty() ? L'-' : wide[0]) + L"]");
    return 0;
}
