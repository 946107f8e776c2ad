// The framework's time value, converted with the C library's local time.
#include "platform/core/CTime.h"

#include "platform/core/Clock.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = daylightSaving;
    std::tm wall = local;
    m_time = std::mktime(&local);
    // The date and time of day as given, with only the carries of fields out of range.
    m_wallClock = timegm(&wall);
    m_hasWallClock = true;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    std::tm local{};
    const bool converted =
        m_hasWallClock ? gmtime_r(&m_wallClock, &local) != nullptr : localtime_r(&m_time, &local) != nullptr;
    if (!converted || local.tm_year + 1900 < 0 || local.tm_year + 1900 > 0xFFFF)
        return FALSE;
    time = SystemTimeFromFields(local, 0);
    return TRUE;
}
