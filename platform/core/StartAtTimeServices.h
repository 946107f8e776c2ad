// Inside the start-at-time service: the schedulers of Linux that carry out a start, and
// the choice between them.
#pragma once

#include <string>
#include <vector>

#include "platform/core/StartAtTime.h"

// A systemd user timer and service unit per program path, kept as unit files in the
// user's systemd folder so that they outlive a reboot; a start that fell while the
// computer was off happens when it is next on.
class SystemdTimerService : public StartAtTimeService
{
public:
    // unitFolder: where the unit files go. With useManager false the files are written
    // and removed but the user's service manager is not told (for checking the files).
    explicit SystemdTimerService(std::string unitFolder, bool useManager = true);

    bool Register(const std::string& programPath, const SYSTEMTIME& localTime) override;
    bool Cancel(const std::string& programPath) override;

    // The units' name for a program path, without the suffix: "solmira-start-" and the
    // program's file name, with a hash of the whole path.
    static std::string UnitName(const std::string& programPath);
    static std::string OnCalendar(const SYSTEMTIME& localTime);
    // The unit files' text. environment holds the desktop session's variables, each
    // "NAME=value", for the program's window to reach the display.
    static std::string ServiceUnit(const std::string& programPath, const std::vector<std::string>& environment);
    static std::string TimerUnit(const std::string& programPath, const SYSTEMTIME& localTime);
    // The user's systemd unit folder: $XDG_CONFIG_HOME/systemd/user or ~/.config/systemd/user.
    static std::string UserUnitFolder();

private:
    bool Systemctl(const std::vector<std::string>& args) const;
    std::string m_folder;
    bool m_useManager;
};

// One at job per program path, recognised by a line of its script that names the path.
class AtJobService : public StartAtTimeService
{
public:
    bool Register(const std::string& programPath, const SYSTEMTIME& localTime) override;
    bool Cancel(const std::string& programPath) override;

    // The job's script: it sets the display variables (at does not pass DISPLAY on) and
    // starts the program.
    static std::string JobScript(const std::string& programPath, const std::vector<std::string>& environment);
    // The pending jobs that start this program.
    static std::vector<std::string> JobsFor(const std::string& programPath);
};

// The desktop session's variables that a program started later needs, as "NAME=value".
std::vector<std::string> DisplayEnvironment();

enum class StartService { Systemd, At, None };
// The service to use: the one SOLMIRA_START_SERVICE names ("systemd", "at" or "none"),
// otherwise systemd where the user's service manager answers, otherwise at where atd
// answers, otherwise none.
StartService ChooseStartService(const char* forced, bool systemdAnswers, bool atdAnswers);
bool SystemdUserManagerAnswers();
bool AtdAnswers();

// The service the platform chose for this machine, chosen once.
StartAtTimeService& PlatformStartAtTimeService();
