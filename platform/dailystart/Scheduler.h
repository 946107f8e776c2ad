// One of the system's schedulers, as the start-at-time service uses it: it adds a start of
// a program at an instant, lists the program's pending starts and removes one of them.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

class Scheduler
{
public:
    virtual ~Scheduler() = default;

    // The scheduler's name in a message: "systemd" or "at".
    virtual const char* Name() const = 0;
    // Puts a start of the program at instant in place, with environment ("NAME=value"
    // each) set for it, and returns its id, or an empty id when the scheduler refuses; a
    // refusal leaves what was pending. The program's other starts are the caller's to remove.
    virtual std::string Add(const std::string& programPath, std::time_t instant,
                            const std::vector<std::string>& environment) = 0;
    // The ids of the program's pending starts, or nothing when the scheduler cannot tell.
    virtual std::optional<std::vector<std::string>> Pending(const std::string& programPath) = 0;
    // Removes one of the program's pending starts. Returns whether it is gone.
    virtual bool Remove(const std::string& programPath, const std::string& id) = 0;
};
