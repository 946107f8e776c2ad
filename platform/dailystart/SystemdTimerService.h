// The systemd scheduler: a user timer and service unit per program path, kept as unit
// files in the user's systemd folder so that they outlive a reboot; a start that fell
// while the computer was off happens when it is next on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dailystart/Scheduler.h"

class SystemdTimerService : public Scheduler
{
public:
    // unitFolder: where the unit files go. With useManager false the files are written
    // and removed but no service manager is told (none answers, or the files are checked).
    explicit SystemdTimerService(std::string unitFolder, bool useManager = true);
    // The same, with useManager asked only when there is something to tell the manager.
    SystemdTimerService(std::string unitFolder, std::function<bool()> useManager);

    const char* Name() const override { return "systemd"; }
    // The id of a start is its timer's OnCalendar value. The units have one name per
    // path, so a new start takes the place of the old one at once.
    std::string Add(const std::string& programPath, std::time_t instant,
                    const std::vector<std::string>& environment) override;
    std::optional<std::vector<std::string>> Pending(const std::string& programPath) override;
    bool Remove(const std::string& programPath, const std::string& id) override;

    // The units' name for a program path, without the suffix: "solmira-start-" and the
    // program's file name, with a hash of the whole path.
    static std::string UnitName(const std::string& programPath);
    // An instant as a calendar event in UTC.
    static std::string OnCalendar(std::time_t instant);
    // The unit files' text: a template service, one instance per start, and a timer that
    // starts the instance of its instant. environment holds the desktop session's
    // variables, each "NAME=value", for the program's window to reach the display.
    static std::string ServiceUnit(const std::string& programPath, const std::string& unitFolder,
                                   const std::vector<std::string>& environment);
    static std::string TimerUnit(const std::string& programPath, std::time_t instant);
    // The user's systemd unit folder: $XDG_CONFIG_HOME/systemd/user or ~/.config/systemd/user.
    static std::string UserUnitFolder();

private:
    bool Systemctl(const std::vector<std::string>& args) const;
    std::string FileOf(const std::string& unit) const { return m_folder + "/" + unit; }

    std::string m_folder;
    std::function<bool()> m_useManager;
};
