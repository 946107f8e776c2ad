// Windows-1252 is Latin-1 apart from 0x80 to 0x9F, which hold typographic characters.
#include "platform/core/CodePage.h"

namespace
{

// 0x80 to 0x9F. 0x81, 0x8D, 0x8F, 0x90 and 0x9D are undefined in the code page; the device
// gives the C1 control of the same value for them, so the table does too.
constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<wchar_t, 256> MakeWideChars()
{
    std::array<wchar_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : static_cast<wchar_t>(b);
    return table;
}

}  // namespace

// Made before any code runs: the initialiser is a constant.
const std::array<wchar_t, 256> kWideCharsOfAnsi = MakeWideChars();
