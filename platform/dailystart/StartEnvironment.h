// The environment a later start of the program is given: the user's own, as the program
// received it, with the desktop session's display and the daily start that the start was
// made for.
#pragma once

#include <ctime>
#include <string>
#include <vector>

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

// Keeps the environment as the program received it, for the schedulers' commands: at passes
// the whole of its own on to the start it makes, and what the program sets for itself later
// (its window system's choices) must not bind every start after it. Called first thing in
// the program's entry; until then the commands run with the environment as it is.
void KeepReceivedEnvironment();
// The environment the schedulers' commands run with: the one kept, otherwise the current
// one.
char* const* CommandEnvironment();
