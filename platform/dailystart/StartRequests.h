// The request queue of the start-at-time service: requests carried out in the order they
// came, on a thread of the platform's own, so that no caller waits for a scheduler.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "platform/core/Types.h"
#include "platform/dailystart/StartAtTime.h"

struct StartRequest {
    std::string program;  // the host path of the program to start
    bool cancel = false;
    SYSTEMTIME time{};  // the local date-time of a registration
    // A retry of a daily start: the instant of the retry and the daily start it belongs to.
    std::optional<std::time_t> retryAt;
    std::time_t dailyStart = 0;
};

// How long the program's end waits for requests still on their way; one still on its way
// then is said on standard error.
constexpr int kEndWaitMilliseconds = 5000;

// Hands a request on: to the queue, which carries it out with the platform's own service
// after this returns (the result says only that it was taken), or to a service put in place
// with SetStartAtTimeServiceForTesting, which carries it out before this returns (the
// result is its own).
bool HandOverStartRequest(const StartRequest& request);
// Hands a request on in the same way, releases what is held and waits until the request is
// carried out, for at most timeoutMilliseconds. What became of it, or kNoAnswerYet when the
// wait ran out first: the request still goes on.
StartOutcome HandOverStartRequestAndWait(const StartRequest& request, int timeoutMilliseconds);
constexpr const char* kNoAnswerYet = "no answer yet";
