// The calendar rules: the leap-year rule and the verse number of every kind of date.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/Calendar.h"

namespace
{

// Day numbers of the real Gregorian calendar (days since 1970-01-01) and back, by the
// usual 400-year-era arithmetic: nothing here shares the program's month table or leap rule.
long DaysFromCivil(long y, long m, long d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    d = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yearOfEra + era * 400 + (m <= 2));
}

}  // namespace

TEST(CalendarTest, LeapRuleAndEdgeDates)
{
    EXPECT_EQ(std::vector<int>(g_anDaysInMonth, g_anDaysInMonth + 12),
              (std::vector<int>{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}));

    const struct {
        int year;
        bool leap;
    } years[] = {{1900, false}, {2000, false}, {2100, false}, {2400, false},
                 {2004, true},  {2008, true},  {2024, true},  {2007, false}};
    for (const auto& c : years) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(IsLeapYear(c.year), c.leap);
    }

    // The first of each month, then the days around the leap day and the year's end.
    const struct {
        int day, month, year, verse;
    } dates[] = {
        {1, 1, 2007, 1},     {1, 2, 2007, 32},    {1, 3, 2007, 60},    {1, 4, 2007, 91},  {1, 5, 2007, 121},
        {1, 6, 2007, 152},   {1, 7, 2007, 182},   {1, 8, 2007, 213},   {1, 9, 2007, 244}, {1, 10, 2007, 274},
        {1, 11, 2008, 305},  {1, 12, 2008, 335},  {28, 2, 2008, 59},   {29, 2, 2008, 1},  {29, 2, 2004, 1},
        {29, 2, 2000, 60},   {29, 2, 2400, 60},   {1, 3, 2000, 60},    {1, 3, 2008, 60},  {15, 6, 2024, 166},
        {31, 12, 2000, 365}, {31, 12, 2007, 365}, {31, 12, 2008, 365},
    };
    for (const auto& c : dates) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        EXPECT_EQ(VerseNumberForDate(c.day, c.month, c.year), c.verse);
    }
}

// Every date from 1600 to 2500, enumerated by the real calendar. In a year the program
// counts as leap, 29 February shares verse 1 and later dates move back a day; in a year that
// is leap in the real calendar only (2000, 2400), 29 February and 1 March both give 60.
TEST(CalendarTest, EveryDateFrom1600To2500MatchesAnIndependentDayOfYear)
{
    int failures = 0;
    for (long z = DaysFromCivil(1600, 1, 1); z <= DaysFromCivil(2500, 12, 31); ++z) {
        int y = 0, m = 0, d = 0;
        CivilFromDays(z, y, m, d);
        const long janFirst = DaysFromCivil(y, 1, 1);
        const bool realLeap = DaysFromCivil(y + 1, 1, 1) - janFirst == 366;
        const bool programLeap = realLeap && y % 400 != 0;
        const int dayOfYear = static_cast<int>(z - janFirst + 1);
        int expected = realLeap && dayOfYear > 60 ? dayOfYear - 1 : dayOfYear;
        if (programLeap && m == 2 && d == 29)
            expected = 1;

        const int verse = VerseNumberForDate(d, m, y);
        const bool leapWrong = dayOfYear == 1 && IsLeapYear(y) != programLeap;
        if (verse != expected || verse < 1 || verse > 365 || leapWrong) {
            ADD_FAILURE() << y << "-" << m << "-" << d << ": verse " << verse << ", expected " << expected
                          << (leapWrong ? " (leap year rule wrong)" : "");
            if (++failures == 10)
                return;  // one fault shows in many dates; ten are enough to see it
        }
    }
}
