// The choice between the machine's schedulers, and the platform's service made of them.
#include "platform/dailystart/SchedulerChoice.h"

#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dailystart/AtJobService.h"
#include "platform/dailystart/Command.h"
#include "platform/dailystart/ReplacingStartService.h"
#include "platform/dailystart/SystemdTimerService.h"

namespace
{

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

    StartOutcome Register(const std::string& programPath, const SYSTEMTIME& localTime) override
    {
        return m_service.Register(programPath, localTime);
    }
    StartOutcome Cancel(const std::string& programPath) override { return m_service.Cancel(programPath); }
    StartOutcome RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) override
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
