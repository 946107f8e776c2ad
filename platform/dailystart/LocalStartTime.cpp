// The local time of a start: local date-times made instants, and the next instant at a
// time of day.
#include "platform/dailystart/LocalStartTime.h"

#include <utility>

#include "platform/core/Clock.h"

namespace
{

long OffsetFromUtcAt(std::time_t instant)
{
    std::tm local{};
    localtime_r(&instant, &local);
    return local.tm_gmtoff;
}

}  // namespace

std::optional<std::time_t> InstantOfLocalTime(const SYSTEMTIME& t, std::optional<std::time_t> after)
{
    if (!IsValidLocalTime(t))
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = t.wYear - 1900;
    fields.tm_mon = t.wMonth - 1;
    fields.tm_mday = t.wDay;
    fields.tm_hour = t.wHour;
    fields.tm_min = t.wMinute;
    fields.tm_sec = t.wSecond;
    // The fields read as UTC, less an offset that the zone has near then, give each
    // instant whose local time they are.
    const std::time_t asUtc = timegm(&fields);
    const long offsetBefore = OffsetFromUtcAt(asUtc - 86400);
    const long offsetAfter = OffsetFromUtcAt(asUtc + 86400);
    std::optional<std::time_t> first;
    for (const long offset : {offsetBefore, offsetAfter}) {
        const std::time_t instant = asUtc - offset;
        // The earliest instant after `after`, or the earliest of all where none is.
        const auto gone = [&after](std::time_t i) { return after && i <= *after; };
        const bool better = !first || std::pair(gone(instant), instant) < std::pair(gone(*first), *first);
        if (OffsetFromUtcAt(instant) == offset && better)
            first = instant;
    }
    // None: a skipped time, read with the offset from before the change.
    return first ? *first : asUtc - offsetBefore;
}

std::time_t NextAtTheSameTimeOfDay(std::time_t instant, std::time_t now)
{
    SYSTEMTIME local = LocalTimeFromTime(instant, 0);
    const SYSTEMTIME today = LocalTimeFromTime(now, 0);
    for (int days = 0; days < 3; ++days) {
        // timegm only counts the days on, across the ends of months and years.
        std::tm date{};
        date.tm_year = today.wYear - 1900;
        date.tm_mon = today.wMonth - 1;
        date.tm_mday = today.wDay + days;
        timegm(&date);
        local.wYear = static_cast<WORD>(date.tm_year + 1900);
        local.wMonth = static_cast<WORD>(date.tm_mon + 1);
        local.wDay = static_cast<WORD>(date.tm_mday);
        const std::optional<std::time_t> next = InstantOfLocalTime(local, now);
        if (next && *next > now)
            return *next;
    }
    return now + 86400;  // a time of day that names no date the calendar can hold
}
