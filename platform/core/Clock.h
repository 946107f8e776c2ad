// The one local clock. GetLocalTime and the initial value of every date and time field
// read it; the time zone and daylight saving come from the C library.
#pragma once

#include <ctime>

#include "platform/core/Types.h"

void GetLocalTime(SYSTEMTIME* localTime);
// The same clock's moment, in whole seconds.
std::time_t CurrentTime();

// The broken-down local time of a moment.
SYSTEMTIME LocalTimeFromTime(std::time_t time, WORD milliseconds);
// The fields of a broken-down time as a local date-time.
SYSTEMTIME SystemTimeFromFields(const std::tm& fields, WORD milliseconds);

// Whether a local date-time names a moment of the calendar: a real date from 1601 to
// 9999, a time of day from 00:00:00.000 to 23:59:59.999. The day of the week is not looked at.
bool IsValidLocalTime(const SYSTEMTIME& time);

// Test seam: fixes the clock at a moment (0: the running clock). Returns the moment it
// replaces.
std::time_t SetClockForTesting(std::time_t time);
