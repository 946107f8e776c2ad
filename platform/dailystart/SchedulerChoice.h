// The choice between the machine's schedulers: the one that takes new starts, and the
// platform's own start-at-time service over them.
#pragma once

#include <memory>

#include "platform/dailystart/StartAtTime.h"

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
