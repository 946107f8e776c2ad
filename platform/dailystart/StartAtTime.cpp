// The start-at-time service's entry: a request checked on the caller's thread, then handed
// to the request queue.
#include "platform/dailystart/StartAtTime.h"

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/dailystart/StartRequests.h"

BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time)
{
    if (appName == nullptr || *appName == L'\0')
        return FALSE;
    if (time != nullptr && !IsValidLocalTime(*time))
        return FALSE;
    StartRequest request;
    request.program = HostPathFromDevicePath(appName);
    if (time == nullptr)
        request.cancel = true;
    else
        request.time = *time;
    return HandOverStartRequest(request) ? TRUE : FALSE;
}
