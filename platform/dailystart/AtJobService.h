// The at scheduler: one job per start, recognised by a line of its script that names the
// program it starts.
#pragma once

#include <string>
#include <vector>

#include "platform/dailystart/Scheduler.h"

class AtJobService : public Scheduler
{
public:
    const char* Name() const override { return "at"; }
    // The id of a start is its job number. A new job comes beside the program's others.
    std::string Add(const std::string& programPath, std::time_t instant,
                    const std::vector<std::string>& environment) override;
    // The user's jobs in the queue that start this program; a job that runs already is
    // not pending.
    std::optional<std::vector<std::string>> Pending(const std::string& programPath) override;
    bool Remove(const std::string& programPath, const std::string& id) override;

    // The job's script: it sets the display variables (at does not pass DISPLAY on) and
    // starts the program.
    static std::string JobScript(const std::string& programPath, const std::vector<std::string>& environment);
    // The time of a job as at reads it: "HH:MM", "UTC", "YYYY-MM-DD". at counts whole
    // minutes, so an instant within a minute goes to the next one: a start never comes early.
    static std::vector<std::string> TimeArguments(std::time_t instant);
};
