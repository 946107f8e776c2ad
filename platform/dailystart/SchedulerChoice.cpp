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

// A registration chooses the scheduler that takes it; a cancel chooses none. The user's
// service manager is asked whether it answers only where that matters: for the choice, or
// for a unit of the program's that is there to remove.
class PlatformStartService : public StartAtTimeService
{
public:
    explicit PlatformStartService(const char* forced)
        : m_forced(forced != nullptr ? forced : ""), m_systemd(SystemdTimerService::UserUnitFolder(), [this] {
              return m_forced == "systemd" || ManagerAnswersOnce();
          })
    {
    }

    StartOutcome Register(const std::string& programPath, const SYSTEMTIME& localTime) override
    {
        return Service(true).Register(programPath, localTime);
    }
    StartOutcome Cancel(const std::string& programPath) override { return Service(false).Cancel(programPath); }
    StartOutcome RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) override
    {
        return Service(true).RegisterRetry(programPath, instant, dailyStart);
    }

private:
    ReplacingStartService Service(bool chooses)
    {
        // With SOLMIRA_START_SERVICE "none", no scheduler is touched.
        return ReplacingStartService(chooses ? Target(ChooseStartService(m_forced.c_str())) : nullptr,
                                     m_forced == "none" ? std::vector<Scheduler*>() : Others());
    }

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

    std::string m_forced;
    SystemdTimerService m_systemd;
    AtJobService m_at;
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

StartService ChooseStartService(const char* forced)
{
    const std::string name = forced != nullptr ? forced : "";
    if (name == "systemd")
        return StartService::Systemd;
    if (name == "at")
        return StartService::At;
    if (name == "none")
        return StartService::None;
    return ManagerAnswersOnce() ? StartService::Systemd : AtdAnswers() ? StartService::At : StartService::None;
}

std::unique_ptr<StartAtTimeService> MakePlatformStartAtTimeService()
{
    return std::make_unique<PlatformStartService>(std::getenv("SOLMIRA_START_SERVICE"));
}
