// The recording start-at-time service and sound player, in place of the platform's while they live.
#include "platform/testing/RecordingServices.h"

#include "platform/core/Clock.h"

StartOutcome RecordingStartAtTime::Register(const std::string& programPath, const SYSTEMTIME& localTime)
{
    calls.push_back({false, programPath, localTime});
    pending[programPath] = localTime;
    return {};
}

StartOutcome RecordingStartAtTime::RegisterRetry(const std::string& programPath, std::time_t instant,
                                                 std::time_t /*dailyStart*/)
{
    return Register(programPath, LocalTimeFromTime(instant, 0));
}

StartOutcome RecordingStartAtTime::Cancel(const std::string& programPath)
{
    calls.push_back({true, programPath, SYSTEMTIME{}});
    pending.erase(programPath);
    return {};
}
