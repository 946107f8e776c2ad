// The start-at-time service's entry: a request checked on the caller's thread, then handed
// to the request queue.
#include "platform/dailystart/StartAtTime.h"

#include <optional>

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/dailystart/StartRequests.h"

namespace
{

// The request of a call; none for a call that names no program or a date-time that
// cannot exist.
std::optional<StartRequest> RequestOf(LPCTSTR appName, const SYSTEMTIME* time)
{
    if (appName == nullptr || *appName == L'\0')
        return std::nullopt;
    if (time != nullptr && !IsValidLocalTime(*time))
        return std::nullopt;
    StartRequest request;
    request.program = HostPathFromDevicePath(appName);
    if (time == nullptr)
        request.cancel = true;
    else
        request.time = *time;
    return request;
}

}  // namespace

BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time)
{
    const std::optional<StartRequest> request = RequestOf(appName, time);
    return request && HandOverStartRequest(*request) ? TRUE : FALSE;
}

StartOutcome RunAppAtTimeAndWait(LPCTSTR appName, const SYSTEMTIME* time, int timeoutMilliseconds)
{
    const std::optional<StartRequest> request = RequestOf(appName, time);
    if (!request)
        return {"no such time"};
    return HandOverStartRequestAndWait(*request, timeoutMilliseconds);
}
