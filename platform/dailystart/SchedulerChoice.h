// The choice between the machine's schedulers: the one that takes new starts, and the
// platform's own start-at-time service over them.
#pragma once

#include <memory>

#include "platform/dailystart/StartAtTime.h"

enum class StartService { Systemd, At, None };
// The scheduler that takes new starts: the one forced names (SOLMIRA_START_SERVICE:
// "systemd", "at" or "none"), otherwise systemd where the user's service manager answers,
// otherwise at where atd answers, otherwise none. The machine is asked only what the
// choice needs, and the manager once in a run.
StartService ChooseStartService(const char* forced);
bool SystemdUserManagerAnswers();
bool AtdAnswers();

// The platform's own service, made for one request: new starts go to the chosen
// scheduler, and every scheduler of the machine loses the program's other starts (none
// does when SOLMIRA_START_SERVICE is "none").
std::unique_ptr<StartAtTimeService> MakePlatformStartAtTimeService();
