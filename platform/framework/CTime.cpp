// The framework's time value, converted with the C library's local time.
#include "platform/framework/CTime.h"

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
    if (!m_hasWallClock) {
        time = LocalTimeFromTime(m_time, 0);
        return TRUE;
    }
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    time.wSecond = static_cast<WORD>(local.tm_sec);
    return TRUE;
}
