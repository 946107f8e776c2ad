// The retry policy of a daily start that found no display: every quarter hour for four
// hours after its daily time, then the next day's start.
#include "platform/dailystart/StartWithoutWindow.h"

#include <cstdlib>
#include <ctime>

#include "platform/core/Clock.h"
#include "platform/core/ModulePath.h"
#include "platform/dailystart/LocalStartTime.h"
#include "platform/dailystart/StartAtTime.h"
#include "platform/dailystart/StartEnvironment.h"
#include "platform/dailystart/StartRequests.h"

namespace
{

// How often and for how long a daily start that found no display tries again.
constexpr std::time_t kRetryEvery = 15 * 60;
constexpr std::time_t kRetryFor = 4 * 60 * 60;

}  // namespace

void KeepDailyStartWithoutWindow()
{
    const char* daily = std::getenv(kDailyStartVariable);
    char* end = nullptr;
    const long long dailyStart = daily != nullptr ? std::strtoll(daily, &end, 10) : 0;
    // The last instant of the calendar, 9999-12-31 23:59:59 UTC, bounds what is read.
    constexpr long long kLastInstant = 253402300799;
    if (daily == nullptr || end == daily || *end != '\0' || dailyStart <= 0 || dailyStart > kLastInstant)
        return;
    const std::time_t now = CurrentTime();
    // A retry falls on a whole minute, which both schedulers keep as it is.
    std::time_t next = (now + kRetryEvery) / 60 * 60;
    std::time_t nextDailyStart = dailyStart;
    if (now >= dailyStart + kRetryFor) {
        nextDailyStart = next = NextAtTheSameTimeOfDay(static_cast<std::time_t>(dailyStart), now);
    }
    StartRequest retry;
    retry.program = ModuleHostPath();
    retry.retryAt = next;
    retry.dailyStart = nextDailyStart;
    HandOverStartRequest(retry);
    FinishStartRequests(kEndWaitMilliseconds);
}
