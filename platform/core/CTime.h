// The framework's time value: one number of whole seconds, converted to and from local
// date-times with the C library's time zone and daylight saving.
#pragma once

#include <ctime>

#include "platform/core/Types.h"

class CTime
{
public:
    CTime() = default;  // the zero time value
    explicit CTime(std::time_t time) : m_time(time) {}
    // A local date-time; daylightSaving -1 lets the platform decide whether it applies.
    // Fields out of their range carry over, as the C library does (hour 25 is 01:00 of the
    // next day).
    CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving = -1);

    std::time_t GetTime() const { return m_time; }
    // The local date-time of this value, milliseconds 0; false when the value lies outside
    // the years a local date-time can hold. A value made from a local date-time gives that
    // date-time back as it was given, even one that the clock skips (02:30 on the day of
    // the spring change stays 02:30).
    BOOL GetAsSystemTime(SYSTEMTIME& time) const;

    friend bool operator==(const CTime& a, const CTime& b) { return a.m_time == b.m_time; }

private:
    std::time_t m_time = 0;
    std::time_t m_wallClock = 0;  // the local date-time it was made from, counted as if UTC
    bool m_hasWallClock = false;
};
