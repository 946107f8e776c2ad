// The request queue: a worker thread carries the requests out in order, once the program
// lets them go on, and a termination signal that comes meanwhile waits for it.
#include "platform/dailystart/StartRequests.h"

#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/dailystart/SchedulerChoice.h"

namespace
{

// A termination signal (SIGTERM, SIGINT, SIGHUP) that comes while requests are being
// carried out, or held, ends the program once they are done: a registration cut off half
// way would leave two starts pending, or none. An alarm bounds the wait.
constexpr unsigned kSignalWaitSeconds = 15;
std::atomic<bool> g_working{false};
std::atomic<int> g_deferredSignal{0};
// A worker whose requests are held waits here for its release. A post is all that a
// signal handler may do to release it.
sem_t g_release;

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
    ::sem_post(&g_release);
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

StartOutcome CarryOut(StartAtTimeService& service, const StartRequest& request)
{
    if (request.cancel)
        return service.Cancel(request.program);
    if (request.retryAt)
        return service.RegisterRetry(request.program, *request.retryAt, request.dailyStart);
    return service.Register(request.program, request.time);
}

// A worker thread carries out the requests in the order they came, and ends when none is
// left; the next request starts another. A run that registers nothing starts none. While
// the program holds the requests, a worker waits for their release before its first.
class RequestQueue
{
public:
    RequestQueue() { ::sem_init(&g_release, 0, 0); }
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    // At the program's end the requests are finished within a bound. A worker still held
    // up by a scheduler then is left behind with what it uses, and ends with the process:
    // what it was doing is said, never dropped in silence.
    ~RequestQueue()
    {
        if (!Finish(kEndWaitMilliseconds))
            std::fputs(
                "solmira: the program ended before the system's scheduler answered, so the daily start may not be "
                "as asked\n",
                stderr);
    }

    // outcome, where given, is filled once the request is carried out.
    void Add(StartRequest request, std::shared_ptr<std::optional<StartOutcome>> outcome)
    {
        DeferTerminationWhileWorking();
        std::unique_lock<std::mutex> lock(m_state->mutex);
        m_state->requests.push_back({std::move(request), std::move(outcome)});
        if (m_state->working)
            return;
        m_state->working = true;
        m_state->waitingForRelease = m_state->holding;
        g_working.store(true);
        try {
            std::thread(Work, m_state, m_state->holding).detach();
        } catch (const std::system_error&) {
            // No thread to be had: the request is carried out here, now, rather than lost.
            m_state->waitingForRelease = false;
            lock.unlock();
            Work(m_state, false);
        }
    }

    void Hold()
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->holding = true;
    }

    void Release()
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (std::exchange(m_state->waitingForRelease, false))
            ::sem_post(&g_release);
    }

    bool Finish(int timeoutMilliseconds)
    {
        Release();
        std::unique_lock<std::mutex> lock(m_state->mutex);
        return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                                         [this] { return !m_state->working; });
    }

    // Waits for outcome to be filled, for at most timeoutMilliseconds.
    bool WaitFor(const std::shared_ptr<std::optional<StartOutcome>>& outcome, int timeoutMilliseconds)
    {
        Release();
        std::unique_lock<std::mutex> lock(m_state->mutex);
        return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                                         [&outcome] { return outcome->has_value(); });
    }

private:
    struct Queued {
        StartRequest request;
        std::shared_ptr<std::optional<StartOutcome>> outcome;
    };
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Queued> requests;
        bool working = false;
        bool holding = false;            // requests wait for a release before their worker starts
        bool waitingForRelease = false;  // a worker waits for its release
    };

    static void Work(std::shared_ptr<State> state, bool held)
    {
        while (held && ::sem_wait(&g_release) != 0 && errno == EINTR) {
        }
        std::unique_lock<std::mutex> lock(state->mutex);
        while (!state->requests.empty()) {
            const Queued queued = std::move(state->requests.front());
            state->requests.pop_front();
            lock.unlock();
            // The service is made for each request: the scheduler is chosen here, off the
            // caller's thread, and what it asks of the machine is asked once in a run.
            StartOutcome outcome = CarryOut(*MakePlatformStartAtTimeService(), queued.request);
            lock.lock();
            if (queued.outcome != nullptr) {
                *queued.outcome = std::move(outcome);
                state->changed.notify_all();
            }
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
StartAtTimeService* g_serviceForTesting = nullptr;

}  // namespace

bool HandOverStartRequest(const StartRequest& request)
{
    if (g_serviceForTesting != nullptr)
        return CarryOut(*g_serviceForTesting, request).Done();
    g_queue.Add(request, nullptr);
    return true;
}

StartOutcome HandOverStartRequestAndWait(const StartRequest& request, int timeoutMilliseconds)
{
    if (g_serviceForTesting != nullptr)
        return CarryOut(*g_serviceForTesting, request);
    const auto outcome = std::make_shared<std::optional<StartOutcome>>();
    g_queue.Add(request, outcome);
    if (!g_queue.WaitFor(outcome, timeoutMilliseconds))
        return {kNoAnswerYet};
    return **outcome;
}

bool FinishStartRequests(int timeoutMilliseconds)
{
    return g_queue.Finish(timeoutMilliseconds);
}

void HoldStartRequests()
{
    g_queue.Hold();
}

void ReleaseStartRequests()
{
    g_queue.Release();
}

StartAtTimeService* SetStartAtTimeServiceForTesting(StartAtTimeService* service)
{
    return std::exchange(g_serviceForTesting, service);
}
