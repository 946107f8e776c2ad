// The start-at-time service over the system's schedulers: new start first, then the
// program's other starts removed everywhere, then a look at what is pending.
#include "platform/dailystart/ReplacingStartService.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/core/Clock.h"
#include "platform/core/ProgramFiles.h"
#include "platform/dailystart/LocalStartTime.h"
#include "platform/dailystart/ProgramPathHash.h"
#include "platform/dailystart/Scheduler.h"
#include "platform/dailystart/StartEnvironment.h"

namespace
{

// A change that does not hold is made once more, then given up.
constexpr int kAttempts = 2;

// How long a registration waits for another copy's to end. A scheduler that hangs lets
// each copy go on after this, rather than lose its registration.
constexpr auto kLockWait = std::chrono::seconds(20);

// The folder for the lock: the user's runtime folder, otherwise the state folder; empty
// where the user has neither.
std::string LockFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {
    };
    if (runtime != nullptr && *runtime == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return runtime;
    const std::string state = UserStateFolder();
    MakeUserFolders(state);
    return state;
}

// The registrations of one program take turns: two copies started at once would each add
// their start and then remove the other's. The lock is the kernel's, so it goes with a
// holder that dies.
class ProgramLock
{
public:
    explicit ProgramLock(const std::string& programPath)
    {
        const std::string name = "/solmira-start-" + ProgramPathHash(programPath) + ".lock";
        // Without a home for the lock, the registration goes on alone.
        const std::string folder = LockFolder();
        m_fd = folder.empty()
                   ? -1
                   : ::open((folder + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
        const auto until = std::chrono::steady_clock::now() + kLockWait;
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~ProgramLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ProgramLock(const ProgramLock&) = delete;
    ProgramLock& operator=(const ProgramLock&) = delete;

private:
    int m_fd = -1;
};

}  // namespace

ReplacingStartService::ReplacingStartService(Scheduler* target, std::vector<Scheduler*> others) : m_target(target)
{
    if (target != nullptr)
        m_all.push_back(target);
    for (Scheduler* scheduler : others)
        if (scheduler != nullptr && scheduler != target)
            m_all.push_back(scheduler);
}

StartOutcome ReplacingStartService::Register(const std::string& programPath, const SYSTEMTIME& localTime)
{
    // In the repeated hour of a change from daylight saving, the pass still to come.
    const std::optional<std::time_t> instant = InstantOfLocalTime(localTime, CurrentTime());
    if (!instant)
        return {"no such time"};
    return Place(programPath, *instant, *instant);
}

StartOutcome ReplacingStartService::RegisterRetry(const std::string& programPath, std::time_t instant,
                                                  std::time_t dailyStart)
{
    return Place(programPath, instant, dailyStart);
}

StartOutcome ReplacingStartService::Place(const std::string& programPath, std::time_t instant, std::time_t dailyStart)
{
    if (m_target == nullptr) {
        // Said once in a run of the program, however often it registers.
        static std::atomic<bool> warned{false};
        if (!warned.exchange(true))
            std::fputs(
                "solmira: no scheduler answers (neither a systemd user manager nor atd), "
                "so the daily start is not registered\n",
                stderr);
        return {"no scheduler"};
    }
    const ProgramLock lock(programPath);
    std::string failing;
    bool refused = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string id = m_target->Add(programPath, instant, StartEnvironment(dailyStart));
        refused = id.empty();
        if (refused) {
            failing = m_target->Name();
            continue;
        }
        failing = RemoveAllBut(programPath, id) ? std::string() : NotHolding(programPath, id);
        if (failing.empty())
            return {};
    }
    std::fprintf(stderr, "solmira: the next daily start could not be registered as asked (%s)\n", failing.c_str());
    return {failing + (refused ? " refused" : " failed")};
}

StartOutcome ReplacingStartService::Cancel(const std::string& programPath)
{
    const ProgramLock lock(programPath);
    std::string failing;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        failing = RemoveAllBut(programPath, std::string()) ? std::string() : NotHolding(programPath, std::string());
        if (failing.empty())
            return {};
    }
    std::fprintf(stderr, "solmira: the pending daily start could not be removed (%s)\n", failing.c_str());
    return {failing + " failed"};
}

bool ReplacingStartService::RemoveAllBut(const std::string& programPath, const std::string& keep)
{
    bool held = true;
    for (Scheduler* scheduler : m_all) {
        const std::optional<std::vector<std::string>> pending = scheduler->Pending(programPath);
        held = held && pending == Wanted(scheduler, keep);
        if (!pending)
            continue;
        for (const std::string& id : *pending)
            if (scheduler != m_target || id != keep)
                scheduler->Remove(programPath, id);
    }
    return held;
}

std::string ReplacingStartService::NotHolding(const std::string& programPath, const std::string& keep)
{
    std::string names;
    for (Scheduler* scheduler : m_all)
        if (scheduler->Pending(programPath) != Wanted(scheduler, keep))
            names += (names.empty() ? "" : ", ") + std::string(scheduler->Name());
    return names;
}

std::vector<std::string> ReplacingStartService::Wanted(const Scheduler* scheduler, const std::string& keep) const
{
    if (scheduler == m_target && !keep.empty())
        return {keep};
    return {};
}
