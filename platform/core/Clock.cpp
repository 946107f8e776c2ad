// The local clock from the C library's time zone, with a seam that fixes it for tests.
#include "platform/core/Clock.h"

#include <chrono>
#include <utility>

namespace
{

std::time_t g_fixedTime = 0;

}  // namespace

SYSTEMTIME SystemTimeFromFields(const std::tm& fields, WORD milliseconds)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(fields.tm_year + 1900);
    st.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    st.wDay = static_cast<WORD>(fields.tm_mday);
    st.wHour = static_cast<WORD>(fields.tm_hour);
    st.wMinute = static_cast<WORD>(fields.tm_min);
    st.wSecond = static_cast<WORD>(fields.tm_sec);
    st.wMilliseconds = milliseconds;
    return st;
}

SYSTEMTIME LocalTimeFromTime(std::time_t time, WORD milliseconds)
{
    std::tm local{};
    localtime_r(&time, &local);
    return SystemTimeFromFields(local, milliseconds);
}

std::time_t CurrentTime()
{
    return g_fixedTime != 0 ? g_fixedTime : std::time(nullptr);
}

void GetLocalTime(SYSTEMTIME* localTime)
{
    if (localTime == nullptr)
        return;
    if (g_fixedTime != 0) {
        *localTime = LocalTimeFromTime(g_fixedTime, 0);
        return;
    }
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    *localTime = LocalTimeFromTime(system_clock::to_time_t(now), static_cast<WORD>(milliseconds));
}

bool IsValidLocalTime(const SYSTEMTIME& time)
{
    if (time.wYear < 1601 || time.wYear > 9999 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1)
        return false;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (time.wYear % 4 == 0 && time.wYear % 100 != 0) || time.wYear % 400 == 0;
    const int days = time.wMonth == 2 && leap ? 29 : kDays[time.wMonth - 1];
    return time.wDay <= days && time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

std::time_t SetClockForTesting(std::time_t time)
{
    return std::exchange(g_fixedTime, time);
}
