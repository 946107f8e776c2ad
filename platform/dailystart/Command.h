// Runs another program of the system and waits for it, for the platform's services.
#pragma once

#include <string>
#include <vector>

struct CommandResult {
    int status = -1;  // the exit status; -1 when it could not run, or was stopped
    std::string output;
};

// Runs args[0] (looked up on PATH) with args, in the environment the program received
// (CommandEnvironment), feeding it input on its standard input and keeping what it writes
// to its standard output and standard error. One that runs longer
// than timeoutMilliseconds is stopped. With workingFolder empty it runs in this program's
// working folder.
CommandResult RunCommand(const std::vector<std::string>& args, const std::string& input = std::string(),
                         int timeoutMilliseconds = 10000, const std::string& workingFolder = std::string());

// Whether a program of that name is on PATH.
bool CommandExists(const std::string& name);
