// The local time of a start: the instant a local date-time names in the C library's time
// zone, across the changes to and from daylight saving.
#pragma once

#include <ctime>
#include <optional>

#include "platform/core/Types.h"

// The instant of a local date-time in the C library's time zone. A time that the clock
// skips at a change to daylight saving is read with the offset from before the change, so
// it comes out shifted by the gap (02:30 becomes 03:30 where the clock goes from 02:00 to
// 03:00); a time that the clock repeats is taken the first time, or the second where the
// first is not after `after` (a start made in the repeated hour). Nothing for a date-time
// that cannot exist at all (31 April, hour 25).
std::optional<std::time_t> InstantOfLocalTime(const SYSTEMTIME& localTime,
                                              std::optional<std::time_t> after = std::nullopt);

// The first instant after now at the local time of day of instant: today's or a later day's.
std::time_t NextAtTheSameTimeOfDay(std::time_t instant, std::time_t now);
