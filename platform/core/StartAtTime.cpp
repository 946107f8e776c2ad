// CeRunAppAtTime: the program's request to the start-at-time service, checked and passed on.
#include "platform/core/StartAtTime.h"

#include <memory>

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/StartAtTimeServices.h"

namespace
{

StartAtTimeService* g_replacement = nullptr;

}  // namespace

BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time)
{
    if (appName == nullptr || *appName == L'\0')
        return FALSE;
    if (time != nullptr && !IsValidLocalTime(*time))
        return FALSE;
    const std::string program = HostPathFromDevicePath(appName);
    std::unique_ptr<StartAtTimeService> platform;
    if (g_replacement == nullptr)
        platform = MakePlatformStartAtTimeService();
    StartAtTimeService& service = g_replacement != nullptr ? *g_replacement : *platform;
    return (time == nullptr ? service.Cancel(program) : service.Register(program, *time)) ? TRUE : FALSE;
}

StartAtTimeService* SetStartAtTimeService(StartAtTimeService* service)
{
    StartAtTimeService* previous = g_replacement;
    g_replacement = service;
    return previous;
}
