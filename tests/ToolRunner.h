// Running solmira-book as a user does, in a process of its own: given arguments and
// environment, with standard output piped or on a pseudo-terminal, under a time limit.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ToolOutcome {
    int status = -1;  // the exit status; -1 when it could not run
    std::string out, err;
    double seconds = 0;
};

struct ToolRun {
    ToolRun(std::vector<std::string> arguments = {}) : args(std::move(arguments)) {}
    std::vector<std::string> args;  // after the tool's name
    std::string tool = SOLMIRA_BOOK_TOOL;
    std::vector<std::string> wrapper;  // a command that runs the tool, such as faketime
    // Over the fixed environment (TZ=UTC, HOME and XDG_DATA_HOME in the test's folder,
    // no SOLMIRA_BOOK or COLUMNS): a value sets, none removes.
    std::map<std::string, std::optional<std::string>> environment;
    bool terminal = false;        // standard output on a pseudo-terminal
    unsigned short columns = 0;   // the terminal's width; 0 tells none
    bool asOrdinaryUser = false;  // as root, run as nobody
};

// Runs the tool with home as its user's folder. A tool still running after 20 seconds is
// killed and the test fails.
ToolOutcome RunTool(const ToolRun& run, const std::string& home);
