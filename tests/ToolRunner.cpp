// Running the book tool through the system's own tools: env for the fixed environment,
// prlimit for the file size limit, setpriv for an ordinary user, timeout for the deadline
// and script for a pseudo-terminal.
#include "tests/ToolRunner.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>

#include "platform/dailystart/Command.h"
#include "tests/TestFiles.h"

namespace
{

constexpr int kDeadlineSeconds = 20;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ToolOutcome RunTool(const ToolRun& run, const std::string& home)
{
    std::vector<std::string> args = {"env", "-u", "SOLMIRA_BOOK", "-u", "COLUMNS"};
    std::vector<std::string> values = {"TZ=UTC", "HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share"};
    for (const auto& [name, value] : run.environment) {
        if (value)
            values.push_back(name + "=" + *value);
        else
            args.insert(args.end(), {"-u", name});
    }
    args.insert(args.end(), values.begin(), values.end());
    if (run.asOrdinaryUser && ::geteuid() == 0)
        args.insert(args.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    args.insert(args.end(), {"timeout", "-s", "KILL", std::to_string(kDeadlineSeconds)});
    args.insert(args.end(), run.wrapper.begin(), run.wrapper.end());
    args.push_back(run.tool);
    args.insert(args.end(), run.args.begin(), run.args.end());

    char err[] = "/tmp/solmira-book-err-XXXXXX";
    ::close(::mkstemp(err));
    std::string command = "exec";
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    command += " 2>" + Quoted(err);
    // The bytes as the tool writes them on the terminal, no "\r" added.
    const std::string size = std::to_string(run.columns) + " rows " + std::to_string(run.columns > 0 ? 24 : 0);
    if (run.terminal)
        command = "exec script -qec " + Quoted("stty -opost cols " + size + "; " + command) + " /dev/null";
    // A write past the file size limit then fails with EFBIG.
    const auto start = std::chrono::steady_clock::now();
    const CommandResult result =
        RunCommand({"bash", "-c", "trap '' XFSZ; " + command}, "", 1000 * (kDeadlineSeconds + 5));
    ToolOutcome outcome{result.status, result.output, ReadAll(err)};
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::unlink(err);
    EXPECT_NE(outcome.status, 137) << "solmira-book still ran after " << kDeadlineSeconds << " seconds";
    return outcome;
}
