// The environment a later start is given, read from this program's own, and the one it
// received kept for the schedulers' commands.
#include "platform/dailystart/StartEnvironment.h"

#include <cstdlib>

extern char** environ;

namespace
{

// Kept once, before the program starts any thread, and only read after.
std::vector<std::string> g_received;
std::vector<char*> g_receivedPointers;

bool HasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::vector<std::string> DisplayEnvironment()
{
    std::vector<std::string> variables;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0' && !HasLineBreak(value))
            variables.push_back(std::string(name) + "=" + value);
    return variables;
}

bool IsDisplayVariable(const std::string& variable)
{
    for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "XAUTHORITY="})
        if (variable.rfind(name, 0) == 0)
            return true;
    return false;
}

std::vector<std::string> StartEnvironment(std::time_t dailyStart)
{
    std::vector<std::string> variables = DisplayEnvironment();
    variables.push_back(std::string(kDailyStartVariable) + "=" + std::to_string(dailyStart));
    return variables;
}

void KeepReceivedEnvironment()
{
    g_received.clear();
    for (char** variable = environ; *variable != nullptr; ++variable)
        g_received.emplace_back(*variable);
    g_receivedPointers.clear();
    for (std::string& variable : g_received)
        g_receivedPointers.push_back(variable.data());
    g_receivedPointers.push_back(nullptr);
}

char* const* CommandEnvironment()
{
    return g_receivedPointers.empty() ? environ : g_receivedPointers.data();
}
