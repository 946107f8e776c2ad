// The book tool's command line: the command, its operands and options, and the usage.
#pragma once

#include <string>
#include <vector>

#include "platform/core/Types.h"

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Refuse;
    std::string command;  // build, show, read, list or check
    std::vector<std::string> operands;
    bool hasDate = false;  // --date; otherwise read takes today's
    SYSTEMTIME date{};
    int width = 0;  // --width; 0 when not given
    // Why a command line is refused, and whether the usage follows the message.
    std::string error;
    bool showUsage = false;
};

// Reads the arguments after the program's name. Options may come anywhere, as
// "--name VALUE" or "--name=VALUE"; "--" ends them; "-1" is an operand (an index).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// A date as YYYY-MM-DD, a real date from 1601 to 9999. False with why set (the part that
// is impossible, or the form that is expected) otherwise.
bool ParseDate(const std::string& text, SYSTEMTIME& date, std::string& why);

// A whole number from low to high, digits only with an optional minus.
bool ParseWholeNumber(const std::string& text, long long low, long long high, long long& value);

// The synopsis, for a refused command line; the full help for --help.
extern const char* const kUsageText;
extern const char* const kHelpText;
