// CeRunAppAtTime: the program's request to the start-at-time service, checked and passed on.
#include "platform/core/StartAtTime.h"

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/StartAtTimeServices.h"

namespace
{

StartAtTimeService* g_replacement = nullptr;

StartAtTimeService& Service()
{
    return g_replacement != nullptr ? *g_replacement : PlatformStartAtTimeService();
}

}  // namespace

BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time)
{
    if (appName == nullptr || *appName == L'\0')
        return FALSE;
    const std::string program = HostPathFromDevicePath(appName);
    if (time == nullptr)
        return Service().Cancel(program) ? TRUE : FALSE;
    if (!IsValidLocalTime(*time))
        return FALSE;
    return Service().Register(program, *time) ? TRUE : FALSE;
}

StartAtTimeService* SetStartAtTimeService(StartAtTimeService* service)
{
    StartAtTimeService* previous = g_replacement;
    g_replacement = service;
    return previous;
}
