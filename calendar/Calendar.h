// The calendar rules of the program: month lengths, its leap-year rule, and the verse
// number of a date.
#pragma once

// Lengths of the months, January first. February is always 28 here; the leap day is
// handled by the rules below, never by the table.
extern const int g_anDaysInMonth[12];

// A leap year is divisible by 4 and not by 100. Years divisible by 400 are common years
// too: the book has no reading of its own for 29 February, and this is the rule its
// readers have always had.
bool IsLeapYear(int year);

// The verse (book record) of a date: its day of a 365-day year, with the leap day sharing
// verse 1 with 1 January. Gives 1 to 365 for every date of the calendar.
int VerseNumberForDate(int day, int month, int year);
