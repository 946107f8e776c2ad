// A start that finds no display: the real program ends with one line, and a daily start it
// was made for keeps the cycle going through the real atd, at a clock fixed by faketime.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "platform/core/AtJobService.h"
#include "platform/core/Command.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/testing/VirtualScreen.h"
#include "platform/window/Display.h"
#include "tests/TestFiles.h"
#include "tests/ToolRunner.h"

namespace
{

namespace fs = std::filesystem;

// The queue's time of a job, as at shows it in UTC.
std::string JobTime(const std::string& job)
{
    std::istringstream queue(RunCommand({"atq"}).output);
    for (std::string line; std::getline(queue, line);)
        if (line.substr(0, line.find('\t')) == job)
            return line.substr(line.find('\t') + 1, 24);
    return "(not queued)";
}

class NoDisplayTest : public ::testing::Test
{
protected:
    NoDisplayTest()
    {
        EXPECT_TRUE(AtdAnswers()) << "atd is not running: ./dev.sh test starts it";
        fs::copy_file(SOLMIRA_PROGRAM_DIR "/solmira", Program());
    }
    ~NoDisplayTest() override
    {
        for (const std::string& job : m_at.Pending(Program()).value_or(std::vector<std::string>()))
            m_at.Remove(Program(), job);
    }

    std::string Program() const { return m_folder.PathOf("solmira"); }

    TimeZoneGuard m_zone{"UTC0"};
    ProgramFolder m_folder;
    AtJobService m_at;
};

TEST_F(NoDisplayTest, AStartWithoutADisplayKeepsTheDailyStart)
{
    const std::time_t dailyStart = *InstantOfLocalTime(At(2099, 6, 1, 7, 30));
    const struct {
        const char* name;
        const char* now;
        bool madeByTheDailyStart;
        const char* pending;  // the one start left, as the queue shows it
    } cases[] = {
        {"a retry in 15 minutes", "2099-06-01 07:35:00", true, "Mon Jun  1 07:50:00 2099"},
        {"the last retry", "2099-06-01 11:20:00", true, "Mon Jun  1 11:35:00 2099"},
        {"after the tries, the next day's time", "2099-06-01 11:40:00", true, "Tue Jun  2 07:30:00 2099"},
        {"a start by the user changes nothing", "2099-06-01 07:35:00", false, "Tue Jun  2 07:30:00 2099"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The next day's start is pending, as the start that failed had registered it.
        ASSERT_FALSE(m_at.Add(Program(), dailyStart + 86400, {}).empty());
        ToolRun run;
        run.tool = Program();
        run.wrapper = {"/usr/bin/faketime", c.now};
        run.environment = {{"DISPLAY", ":57"},
                           {"WAYLAND_DISPLAY", std::nullopt},
                           {"QT_QPA_PLATFORM", std::nullopt},
                           {"SOLMIRA_START_SERVICE", "at"},
                           {"SOLMIRA_DAILY_START", std::nullopt},
                           // faketime comes in before the sanitizer's runtime; that is harmless here.
                           {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
        if (c.madeByTheDailyStart)
            run.environment["SOLMIRA_DAILY_START"] = std::to_string(dailyStart);
        const ToolOutcome ended = RunTool(run, m_folder.Path());
        EXPECT_EQ(ended.status, 1) << "not an abort";
        EXPECT_EQ(ended.err, "solmira: no display answers (:57), so no window can open\n");
        const std::vector<std::string> pending = m_at.Pending(Program()).value_or(std::vector<std::string>());
        ASSERT_EQ(pending.size(), 1u) << "one start, never none or two";
        EXPECT_EQ(JobTime(pending[0]), c.pending);
        m_at.Remove(Program(), pending[0]);
    }
}

// A start by the user's service manager takes the display the desktop session gave the
// manager, and falls back on the one of the registration when that answers not.
TEST(DisplayTest, TheSavedDisplayStandsInForOneThatDoesNotAnswer)
{
    const VirtualScreen screen;
    if (screen.Display().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    const std::string& display = screen.Display();
    {
        EnvironmentGuard platform("QT_QPA_PLATFORM", "xcb");
        EnvironmentGuard current("DISPLAY", ":57");
        EnvironmentGuard saved("SOLMIRA_SAVED_DISPLAY", display.c_str());
        EXPECT_TRUE(DisplayAnswers());
        EXPECT_EQ(DisplayName(), display);
    }
}

}  // namespace
