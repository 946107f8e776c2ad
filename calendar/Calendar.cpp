// The month lengths, the program's leap-year rule and the verse number of a date.
#include "calendar/Calendar.h"

const int g_anDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int year)
{
    if (year % 100 == 0)
        return false;
    return year % 4 == 0;
}

int VerseNumberForDate(int day, int month, int year)
{
    int sum = 0;
    // Months past December add nothing more: the table has twelve entries.
    for (int m = 1; m < month && m <= 12; ++m)
        sum += g_anDaysInMonth[m - 1];
    int verse = sum + day;
    if (IsLeapYear(year) && day == 29 && month == 2)
        verse = 1;
    return verse;
}
