// Inside the start-at-time service: the instant a local date-time names, the desktop's
// variables that a later start needs, and the choice of the machine's schedulers.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dailystart/StartAtTime.h"

// The instant of a local date-time in the C library's time zone. A time that the clock
// skips at a change to daylight saving is read with the offset from before the change, so
// it comes out shifted by the gap (02:30 becomes 03:30 where the clock goes from 02:00 to
// 03:00); a time that the clock repeats is taken the first time, or the second where the
// first is not after `after` (a start made in the repeated hour). Nothing for a date-time
// that cannot exist at all (31 April, hour 25).
std::optional<std::time_t> InstantOfLocalTime(const SYSTEMTIME& localTime,
                                              std::optional<std::time_t> after = std::nullopt);

// The desktop session's variables that a program started later needs, as "NAME=value".
std::vector<std::string> DisplayEnvironment();
// Whether a "NAME=value" is one of those.
bool IsDisplayVariable(const std::string& variable);
// What a start of the program is given: the display of now, and the daily start it makes,
// as an instant, in SOLMIRA_DAILY_START (kDailyStartVariable).
std::vector<std::string> StartEnvironment(std::time_t dailyStart);
constexpr const char* kDailyStartVariable = "SOLMIRA_DAILY_START";
// Where a unit keeps the display of the registration: SOLMIRA_SAVED_DISPLAY, and so on.
constexpr const char* kSavedPrefix = "SOLMIRA_SAVED_";

enum class StartService { Systemd, At, None };
// The scheduler that takes new starts: the one SOLMIRA_START_SERVICE names ("systemd",
// "at" or "none"), otherwise systemd where the user's service manager answers, otherwise
// at where atd answers, otherwise none.
StartService ChooseStartService(const char* forced, bool systemdAnswers, bool atdAnswers);
bool SystemdUserManagerAnswers();
bool AtdAnswers();

// The platform's own service, made for one request: new starts go to the chosen
// scheduler, and every scheduler of the machine loses the program's other starts (none
// does when SOLMIRA_START_SERVICE is "none"). The machine is asked once in a run.
std::unique_ptr<StartAtTimeService> MakePlatformStartAtTimeService();
