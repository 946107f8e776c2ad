// The start-at-time service: the platform starts a program at a local date-time. There is
// at most one pending start per program path; a registration replaces it and a cancel
// removes it. It outlives the program.
#pragma once

#include <string>

#include "platform/core/Types.h"

// Registers appName (a path in the device's form) to be started at time, a local
// date-time; with time null, cancels its pending start. A date-time that does not exist
// is refused. Returns whether the service did what was asked.
BOOL CeRunAppAtTime(LPCTSTR appName, const SYSTEMTIME* time);

// What carries out the requests: a systemd user timer, an at job, or, in tests, a record.
class StartAtTimeService
{
public:
    virtual ~StartAtTimeService() = default;
    // programPath is the host path of the program to start.
    virtual bool Register(const std::string& programPath, const SYSTEMTIME& localTime) = 0;
    virtual bool Cancel(const std::string& programPath) = 0;
};

// Puts a service in place of the one the platform chose; null restores the platform's
// choice. Returns the one it replaces.
StartAtTimeService* SetStartAtTimeService(StartAtTimeService* service);
