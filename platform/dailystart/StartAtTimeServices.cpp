// Inside the start-at-time service: local date-times made instants, and the platform's
// service over the schedulers that the machine offers.
#include "platform/dailystart/StartAtTimeServices.h"

#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "platform/dailystart/AtJobService.h"
#include "platform/core/Clock.h"
#include "platform/dailystart/Command.h"
#include "platform/dailystart/ReplacingStartService.h"
#include "platform/dailystart/SystemdTimerService.h"

namespace
{

bool HasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

long OffsetFromUtcAt(std::time_t instant)
{
    std::tm local{};
    localtime_r(&instant, &local);
    return local.tm_gmtoff;
}

// Asked once in a run of the program: each question starts a program.
bool ManagerAnswersOnce()
{
    static const bool answers = SystemdUserManagerAnswers();
    return answers;
}

class PlatformStartService : public StartAtTimeService
{
public:
    PlatformStartService(StartService choice, bool touchOthers, bool managerAnswers)
        : m_systemd(SystemdTimerService::UserUnitFolder(), managerAnswers || choice == StartService::Systemd),
          m_service(Target(choice), touchOthers ? Others() : std::vector<Scheduler*>())
    {
    }

    bool Register(const std::string& programPath, const SYSTEMTIME& localTime) override
    {
        return m_service.Register(programPath, localTime);
    }
    bool Cancel(const std::string& programPath) override { return m_service.Cancel(programPath); }
    bool RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) override
    {
        return m_service.RegisterRetry(programPath, instant, dailyStart);
    }

private:
    Scheduler* Target(StartService choice)
    {
        switch (choice) {
            case StartService::Systemd:
                return &m_systemd;
            case StartService::At:
                return &m_at;
            case StartService::None:
                break;
        }
        return nullptr;
    }

    // A start left with the other scheduler (made before a systemd session appeared, or
    // while one ran) must not give a second start a day. Unit files are looked at even
    // where no manager answers, since a manager that starts later would arm them.
    std::vector<Scheduler*> Others()
    {
        std::vector<Scheduler*> others{&m_systemd};
        if (CommandExists("atq"))
            others.push_back(&m_at);
        return others;
    }

    SystemdTimerService m_systemd;
    AtJobService m_at;
    ReplacingStartService m_service;
};

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

std::vector<std::string> DisplayEnvironment()
{
    std::vector<std::string> variables;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0' && !HasLineBreak(value))
            variables.push_back(std::string(name) + "=" + value);
    return variables;
}

bool IsDisplayVariable(const std::string& variable)
{
    for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "XAUTHORITY="})
        if (variable.rfind(name, 0) == 0)
            return true;
    return false;
}

std::vector<std::string> StartEnvironment(std::time_t dailyStart)
{
    std::vector<std::string> variables = DisplayEnvironment();
    variables.push_back(std::string(kDailyStartVariable) + "=" + std::to_string(dailyStart));
    return variables;
}

bool SystemdUserManagerAnswers()
{
    return CommandExists("systemctl") && RunCommand({"systemctl", "--user", "show-environment"}, "", 3000).status == 0;
}

bool AtdAnswers()
{
    if (!CommandExists("at"))
        return false;
    for (const char* pidFile : {"/run/atd.pid", "/var/run/atd.pid"}) {
        std::ifstream in(pidFile);
        long pid = 0;
        if (in >> pid && pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
            return true;
    }
    return false;
}

StartService ChooseStartService(const char* forced, bool systemdAnswers, bool atdAnswers)
{
    const std::string name = forced != nullptr ? forced : "";
    if (name == "systemd")
        return StartService::Systemd;
    if (name == "at")
        return StartService::At;
    if (name == "none")
        return StartService::None;
    return systemdAnswers ? StartService::Systemd : atdAnswers ? StartService::At : StartService::None;
}

std::unique_ptr<StartAtTimeService> MakePlatformStartAtTimeService()
{
    const char* forced = std::getenv("SOLMIRA_START_SERVICE");
    const bool managerAnswers = ManagerAnswersOnce();
    const StartService choice = ChooseStartService(forced, managerAnswers, AtdAnswers());
    const bool touchOthers = forced == nullptr || std::string(forced) != "none";
    return std::make_unique<PlatformStartService>(choice, touchOthers, managerAnswers);
}
