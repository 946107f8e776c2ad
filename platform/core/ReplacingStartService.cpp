// The start-at-time service over the system's schedulers: new start first, then the
// program's other starts removed everywhere, then a look at what is pending.
#include "platform/core/ReplacingStartService.h"

#include <atomic>
#include <cstdio>

#include "platform/core/Scheduler.h"
#include "platform/core/StartAtTimeServices.h"

namespace
{

// A change that does not hold is made once more, then given up.
constexpr int kAttempts = 2;

}  // namespace

ReplacingStartService::ReplacingStartService(Scheduler* target, std::vector<Scheduler*> others) : m_target(target)
{
    if (target != nullptr)
        m_all.push_back(target);
    for (Scheduler* scheduler : others)
        if (scheduler != nullptr && scheduler != target)
            m_all.push_back(scheduler);
}

bool ReplacingStartService::Register(const std::string& programPath, const SYSTEMTIME& localTime)
{
    const std::optional<std::time_t> instant = InstantOfLocalTime(localTime);
    return instant && Place(programPath, *instant, *instant);
}

bool ReplacingStartService::RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart)
{
    return Place(programPath, instant, dailyStart);
}

bool ReplacingStartService::Place(const std::string& programPath, std::time_t instant, std::time_t dailyStart)
{
    if (m_target == nullptr) {
        // Said once in a run of the program, however often it registers.
        static std::atomic<bool> warned{false};
        if (!warned.exchange(true))
            std::fputs(
                "solmira: no scheduler answers (neither a systemd user manager nor atd), "
                "so the daily start is not registered\n",
                stderr);
        return false;
    }
    std::string failing;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string id = m_target->Add(programPath, instant, StartEnvironment(dailyStart));
        if (id.empty()) {
            failing = m_target->Name();
            continue;
        }
        RemoveAllBut(programPath, id);
        failing = NotHolding(programPath, id);
        if (failing.empty())
            return true;
    }
    std::fprintf(stderr, "solmira: the next daily start could not be registered as asked (%s)\n", failing.c_str());
    return false;
}

bool ReplacingStartService::Cancel(const std::string& programPath)
{
    std::string failing;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        RemoveAllBut(programPath, std::string());
        failing = NotHolding(programPath, std::string());
        if (failing.empty())
            return true;
    }
    std::fprintf(stderr, "solmira: the pending daily start could not be removed (%s)\n", failing.c_str());
    return false;
}

void ReplacingStartService::RemoveAllBut(const std::string& programPath, const std::string& keep)
{
    for (Scheduler* scheduler : m_all) {
        const std::optional<std::vector<std::string>> pending = scheduler->Pending(programPath);
        if (!pending)
            continue;
        for (const std::string& id : *pending)
            if (scheduler != m_target || id != keep)
                scheduler->Remove(programPath, id);
    }
}

std::string ReplacingStartService::NotHolding(const std::string& programPath, const std::string& keep)
{
    std::string names;
    for (Scheduler* scheduler : m_all) {
        std::vector<std::string> wanted;
        if (scheduler == m_target && !keep.empty())
            wanted.push_back(keep);
        if (scheduler->Pending(programPath) != std::optional<std::vector<std::string>>(wanted))
            names += (names.empty() ? "" : ", ") + std::string(scheduler->Name());
    }
    return names;
}
