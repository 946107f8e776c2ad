// systemd's unit files for the daily start, checked by systemd's own tools: the service
// starts a program in a folder of any name, and the timer's time elapses.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/core/Command.h"
#include "platform/core/ReplacingStartService.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/core/SystemdTimerService.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/StartTestSupport.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

// The arguments of the command line that systemd shows for a service it has read (its
// debug dump: shell-like quoting with C escapes), with "$$" as the "$" that it becomes.
std::vector<std::string> ShownCommandLine(const std::string& dump)
{
    const std::string::size_type start = dump.find("Command Line: ");
    const std::string line =
        start == std::string::npos ? "" : dump.substr(start + 14, dump.find('\n', start) - start - 14);
    std::vector<std::string> args;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        char c = i < line.size() ? line[i] : ' ';
        if (c == ' ' && !quoted) {
            if (any)
                args.back() = std::regex_replace(args.back(), std::regex("\\$\\$"), "$$");
            any = false;
            continue;
        }
        if (!any)
            args.emplace_back(), any = true;
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == '\\' && ++i < line.size()) {
            const std::string from = "abfnrtv", to = "\a\b\f\n\r\t\v";
            c = line[i] >= '0' && line[i] <= '7'          ? static_cast<char>(std::stoi(line.substr(i, 3), nullptr, 8))
                : from.find(line[i]) != std::string::npos ? to[from.find(line[i])]
                                                          : line[i];
            i += line[i] >= '0' && line[i] <= '7' ? 2 : 0;
        }
        args.back() += c;
    }
    return args;
}

// The units start a program in a folder of any name, each start an instance of its own so
// that a window left open never holds back the next, at a time that elapses. The service's
// command line, run by hand, starts the program; once the program is gone it ends quietly
// and the units remove themselves, telling the manager.
TEST(SystemdUnitTest, UnitsPassSystemdsOwnChecks)
{
    ASSERT_TRUE(CommandExists("systemd-analyze")) << "systemd-analyze is needed to check the units";
    TimeZoneGuard zone(kBerlin);
    ProgramFolder folder;
    const std::string units = folder.PathOf("units"), ran = folder.PathOf("ran"), told = folder.PathOf("told");
    EnvironmentGuard display("DISPLAY", ":7 100%"), state("XDG_STATE_HOME", folder.PathOf("state").c_str());
    StandInCommands manager(folder.PathOf("bin"), {{"systemctl", "echo \"$*\" >> '" + told + "'"}});
    SystemdTimerService service(units, false);
    EnvironmentGuard level("SYSTEMD_LOG_LEVEL", "debug");  // systemd-analyze shows each unit as it has read it

    const std::time_t instant = *InstantOfLocalTime(At(2099, 12, 10, 7, 30));
    for (const std::string& folderName : AwkwardFolderNames()) {
        SCOPED_TRACE(folderName);
        const std::string program = MakeRecordingProgram(folder.PathOf("programs"), folderName, ran);
        ASSERT_FALSE(service.Add(program, instant, StartEnvironment(4100000000)).empty());
        const std::string name = SystemdTimerService::UnitName(program);
        const CommandResult verified = RunCommand(
            {"systemd-analyze", "verify", "--man=no", units + "/" + name + ".timer", units + "/" + name + "@.service"});
        EXPECT_EQ(verified.status, 0) << verified.output;
        EXPECT_NE(ReadAll(units + "/" + name + ".timer")
                      .find("\nUnit=" + name + "@" + std::to_string(instant) + ".service\n"),
                  std::string::npos);
        // The manager's display comes first; the registration's is kept to fall back on.
        const std::string unit = ReadAll(units + "/" + name + "@.service");
        EXPECT_NE(unit.find("Environment=\"SOLMIRA_SAVED_DISPLAY=:7 100%%\""), std::string::npos) << unit;
        EXPECT_NE(unit.find("Environment=\"SOLMIRA_DAILY_START=4100000000\""), std::string::npos) << unit;
        const std::vector<std::string> command = ShownCommandLine(verified.output);
        fs::remove(ran);
        EXPECT_EQ(RunCommand(command).status, 0);
        EXPECT_EQ(ReadAll(ran), program);
        fs::remove(program);
        fs::remove(told);
        const CommandResult gone = RunCommand(command);
        EXPECT_EQ(gone.status, 0);
        EXPECT_EQ(gone.output, "");
        EXPECT_EQ(FileNames(units), std::vector<std::string>{});
        EXPECT_EQ(ReadAll(told),
                  "--user --quiet --no-block disable --now " + name + ".timer\n--user --quiet daemon-reload\n");
    }

    // A time the clock skips or repeats is written as the instant it names, and elapses.
    const std::string program = folder.PathOf("solmira");
    const std::string timer = units + "/" + SystemdTimerService::UnitName(program) + ".timer";
    ReplacingStartService replacing(&service, {});
    for (const auto& [local, utc] : {std::pair{At(2099, 10, 25, 2, 30), "2099-10-25 00:30:00 UTC"},
                                     std::pair{At(2099, 12, 10, 7, 30, 45), "2099-12-10 06:30:45 UTC"}}) {
        SCOPED_TRACE(utc);
        ASSERT_TRUE(replacing.Register(program, local));
        EXPECT_NE(ReadAll(timer).find(std::string("OnCalendar=") + utc + "\n"), std::string::npos) << ReadAll(timer);
        const CommandResult calendar = RunCommand({"systemd-analyze", "calendar", utc});
        EXPECT_NE(calendar.output.find(std::string("Normalized form: ") + utc), std::string::npos) << calendar.output;
        EXPECT_EQ(calendar.output.find("never"), std::string::npos) << calendar.output;
    }
    EXPECT_EQ(service.Pending(program), (std::vector<std::string>{"2099-12-10 06:30:45 UTC"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(units), fs::directory_iterator()), 2) << "replaced, not added";
    EXPECT_TRUE(replacing.Cancel(program));
    EXPECT_FALSE(fs::exists(timer));
    EXPECT_TRUE(replacing.Cancel(program)) << "a cancel with nothing pending does no harm";
}

}  // namespace
