// The start-at-time service's entry: requests checked on the caller's thread, and carried
// out in order on a thread of the platform's own.
#include "platform/dailystart/StartAtTime.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/core/Clock.h"
#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"
#include "platform/dailystart/StartAtTimeServices.h"

namespace
{

// How long the program's end waits for requests still on their way.
constexpr int kEndWaitMilliseconds = 5000;

// How often and for how long a daily start that found no display tries again.
constexpr std::time_t kRetryEvery = 15 * 60;
constexpr std::time_t kRetryFor = 4 * 60 * 60;

// A termination signal (SIGTERM, SIGINT, SIGHUP) that comes while requests are being
// carried out ends the program once they are done: a registration cut off half way would
// leave two starts pending, or none. An alarm bounds the wait.
constexpr unsigned kSignalWaitSeconds = 15;
std::atomic<bool> g_working{false};
std::atomic<int> g_deferredSignal{0};

[[noreturn]] void EndBy(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

void OnTermination(int signal)
{
    g_deferredSignal.store(signal);
    if (!g_working.load())
        EndBy(signal);
    ::alarm(kSignalWaitSeconds);
}

void DeferTerminationWhileWorking()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction action {
            };
            // A signal that the program was started with ignoring stays ignored.
            if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
                continue;
            action.sa_handler = OnTermination;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            ::sigaction(signal, &action, nullptr);
        }
    });
}

struct Request {
    std::string program;
    bool cancel;
    SYSTEMTIME time;
    // A retry of a daily start: the instant of the retry and the daily start it belongs to.
    std::optional<std::time_t> retryAt;
    std::time_t dailyStart;
};

// A worker thread carries out the requests in the order they came, and ends when none is
// left; the next request starts another. A run that registers nothing starts none.
class RequestQueue
{
public:
    RequestQueue() = default;
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    // At the program's end the requests are finished within a bound. A worker still held
    // up by a scheduler then is left behind with what it uses, and ends with the process.
    ~RequestQueue() { Finish(kEndWaitMilliseconds); }

    void Add(Request request)
    {
        DeferTerminationWhileWorking();
        std::unique_lock<std::mutex> lock(m_state->mutex);
        m_state->requests.push_back(std::move(request));
        if (m_state->working)
            return;
        m_state->working = true;
        g_working.store(true);
        try {
            std::thread(Work, m_state).detach();
        } catch (const std::system_error&) {
            // No thread to be had: the request is carried out here rather than lost.
            lock.unlock();
            Work(m_state);
        }
    }

    bool Finish(int timeoutMilliseconds)
    {
        std::unique_lock<std::mutex> lock(m_state->mutex);
        return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                                         [this] { return !m_state->working; });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Request> requests;
        bool working = false;
    };

    static void Work(std::shared_ptr<State> state)
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        while (!state->requests.empty()) {
            const Request request = std::move(state->requests.front());
            state->requests.pop_front();
            lock.unlock();
            // The service is made for each request: the scheduler is chosen here, off the
            // caller's thread, and what it asks of the machine is asked once in a run.
            const std::unique_ptr<StartAtTimeService> service = MakePlatformStartAtTimeService();
            if (request.cancel)
                service->Cancel(request.program);
            else if (request.retryAt)
                service->RegisterRetry(request.program, *request.retryAt, request.dailyStart);
            else
                service->Register(request.program, request.time);
            lock.lock();
        }
        state->working = false;
        g_working.store(false);
        if (const int signal = g_deferredSignal.exchange(0))
            EndBy(signal);
        state->changed.notify_all();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

RequestQueue g_queue;

// The first instant after now at the local time of day of instant: today's or a later day's.
std::time_t NextAtTheSameTimeOfDay(std::time_t instant, std::time_t now)
{
    SYSTEMTIME local = LocalTimeFromTime(instant, 0);
    const SYSTEMTIME today = LocalTimeFromTime(now, 0);
    for (int days = 0; days < 3; ++days) {
        // timegm only counts the days on, across the ends of months and years.
        std::tm date{};
        date.tm_year = today.wYear - 1900;
        date.tm_mon = today.wMonth - 1;
        date.tm_mday = today.wDay + days;
        timegm(&date);
        local.wYear = static_cast<WORD>(date.tm_year + 1900);
        local.wMonth = static_cast<WORD>(date.tm_mon + 1);
        local.wDay = static_cast<WORD>(date.tm_mday);
        const std::optional<std::time_t> next = InstantOfLocalTime(local, now);
        if (next && *next > now)
            return *next;
    }
    return now + 86400;  // a time of day that names no date the calendar can hold
}
StartAtTimeService* g_replacement = nullptr;

}  // namespace

BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time)
{
    if (appName == nullptr || *appName == L'\0')
        return FALSE;
    if (time != nullptr && !IsValidLocalTime(*time))
        return FALSE;
    const std::string program = HostPathFromDevicePath(appName);
    if (g_replacement != nullptr) {
        const bool done = time == nullptr ? g_replacement->Cancel(program) : g_replacement->Register(program, *time);
        return done ? TRUE : FALSE;
    }
    g_queue.Add({program, time == nullptr, time != nullptr ? *time : SYSTEMTIME{}, std::nullopt, 0});
    return TRUE;
}

void KeepDailyStartWithoutWindow()
{
    const char* daily = std::getenv(kDailyStartVariable);
    char* end = nullptr;
    const long long dailyStart = daily != nullptr ? std::strtoll(daily, &end, 10) : 0;
    // The last instant of the calendar, 9999-12-31 23:59:59 UTC, bounds what is read.
    constexpr long long kLastInstant = 253402300799;
    if (daily == nullptr || end == daily || *end != '\0' || dailyStart <= 0 || dailyStart > kLastInstant)
        return;
    const std::time_t now = CurrentTime();
    // A retry falls on a whole minute, which both schedulers keep as it is.
    std::time_t next = (now + kRetryEvery) / 60 * 60;
    std::time_t nextDailyStart = dailyStart;
    if (now >= dailyStart + kRetryFor) {
        nextDailyStart = next = NextAtTheSameTimeOfDay(static_cast<std::time_t>(dailyStart), now);
    }
    const std::string program = ModuleHostPath();
    if (g_replacement != nullptr) {
        g_replacement->RegisterRetry(program, next, nextDailyStart);
        return;
    }
    g_queue.Add({program, false, SYSTEMTIME{}, next, nextDailyStart});
    g_queue.Finish(kEndWaitMilliseconds);
}

bool FinishStartRequests(int timeoutMilliseconds)
{
    return g_queue.Finish(timeoutMilliseconds);
}

StartAtTimeService* SetStartAtTimeService(StartAtTimeService* service)
{
    StartAtTimeService* previous = g_replacement;
    g_replacement = service;
    return previous;
}
