// The start-at-time service: the platform starts a program at a local date-time. There is
// at most one pending start per program path; a registration replaces it and a cancel
// removes it. It outlives the program.
#pragma once

#include <ctime>
#include <string>

#include "platform/core/Types.h"

// What became of a request: nothing to say when it was carried out as asked, otherwise why
// not, in a few words for a message ("at refused", "no scheduler").
struct StartOutcome {
    std::string failure;
    bool Done() const { return failure.empty(); }
};

// Registers appName (a path in the device's form) to be started at time, a local
// date-time; with time null, cancels its pending start. A date-time that cannot exist is
// refused at once. The platform's own service carries the request out on a thread of its
// own, in order, after the call returns, so that no window waits for a scheduler; the
// result then says only that the request was taken. A service put in place with
// SetStartAtTimeServiceForTesting is called before this returns, and its result is returned.
BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time);
// The same request, for a window that tells the user what became of it: waits until the
// request is carried out (and those before it, released if held), for at most
// timeoutMilliseconds. When the wait runs out first, the request still goes on and the
// outcome says there was no answer yet.
StartOutcome RunAppAtTimeAndWait(LPCTSTR appName, const SYSTEMTIME* time, int timeoutMilliseconds);

// Waits until the requests handed to the platform's own service have been carried out, for
// at most timeoutMilliseconds, releasing them if held. Returns whether they have. The
// program's end waits in the same way, for a few seconds at most.
bool FinishStartRequests(int timeoutMilliseconds);

// Holds the requests handed over from now on until ReleaseStartRequests, a wait for them
// or the program's end: the program's entry keeps its registration from competing with its
// window for the machine until the window's first frame is on the screen.
void HoldStartRequests();
// Lets the requests held so far go on; those handed over later are held until the next.
void ReleaseStartRequests();

// What carries out the requests: the system's schedulers or, in tests, a record.
class StartAtTimeService
{
public:
    virtual ~StartAtTimeService() = default;
    // programPath is the host path of the program to start.
    virtual StartOutcome Register(const std::string& programPath, const SYSTEMTIME& localTime) = 0;
    virtual StartOutcome Cancel(const std::string& programPath) = 0;
    // A retry of the daily start dailyStart at instant, in the place of the pending start.
    virtual StartOutcome RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) = 0;
};

// Test seam: a service in place of the one the platform chooses (null: the platform's
// own). Returns the one it replaces.
StartAtTimeService* SetStartAtTimeServiceForTesting(StartAtTimeService* service);
