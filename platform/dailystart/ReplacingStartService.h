// The start-at-time service over the system's schedulers: a registration puts the new
// start in place first and then removes the program's other starts from every scheduler,
// so that one start at most is pending and a refused registration leaves the last one.
#pragma once

#include <string>
#include <vector>

#include "platform/dailystart/StartAtTime.h"

class Scheduler;

class ReplacingStartService : public StartAtTimeService
{
public:
    // target takes the new starts (null where no scheduler answers: a registration is then
    // refused); every scheduler in others only loses the program's starts. None is owned.
    ReplacingStartService(Scheduler* target, std::vector<Scheduler*> others);

    // After each change the service looks at what is pending for the path and makes the
    // change once more if it does not hold; a change that still does not hold is one line
    // on standard error, and its outcome names the scheduler.
    StartOutcome Register(const std::string& programPath, const SYSTEMTIME& localTime) override;
    StartOutcome Cancel(const std::string& programPath) override;
    StartOutcome RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) override;

private:
    StartOutcome Place(const std::string& programPath, std::time_t instant, std::time_t dailyStart);
    // Removes the program's starts from every scheduler, except keep on the target. Returns
    // whether they were as wanted already, every scheduler answering: then no second look
    // is needed.
    bool RemoveAllBut(const std::string& programPath, const std::string& keep);
    // The schedulers where the program's pending starts are not as wanted.
    std::string NotHolding(const std::string& programPath, const std::string& keep);
    // What is wanted pending in a scheduler: keep alone on the target, none elsewhere.
    std::vector<std::string> Wanted(const Scheduler* scheduler, const std::string& keep) const;

    Scheduler* m_target;
    std::vector<Scheduler*> m_all;
};
