// The environment a later start is given, read from this program's own.
#include "platform/dailystart/StartEnvironment.h"

#include <cstdlib>

namespace
{

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
