// The calendar rules: the leap-year rule and the verse number of every date of nine centuries.
#include <gtest/gtest.h>

#include "calendar/Calendar.h"

// Every date from 1600 to 2500, counted through the real calendar. In a year the program
// counts as leap, 29 February shares verse 1 and later dates move back a day; in a year that
// is leap in the real calendar only (2000, 2400), 29 February and 1 March both give 60.
TEST(CalendarTest, EveryDateFrom1600To2500MatchesAnIndependentDayOfYear)
{
    for (int y = 1600; y <= 2500; ++y) {
        const bool realLeap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        const bool programLeap = realLeap && y % 400 != 0;
        ASSERT_EQ(IsLeapYear(y), programLeap) << y;
        int dayOfYear = 0;
        for (int m = 1; m <= 12; ++m) {
            // 30 days hath September, April, June and November; February 28, or 29 in a leap year.
            const int days = m == 2 ? 28 + realLeap : m == 4 || m == 6 || m == 9 || m == 11 ? 30 : 31;
            for (int d = 1; d <= days; ++d) {
                ++dayOfYear;
                const int expected = programLeap && m == 2 && d == 29 ? 1 : dayOfYear - (realLeap && dayOfYear > 60);
                ASSERT_EQ(VerseNumberForDate(d, m, y), expected) << y << "-" << m << "-" << d;
            }
        }
    }
}
