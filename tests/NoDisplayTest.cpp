// A start that finds no display: the real program ends with one line, and a daily start it
// was made for keeps the cycle going through the real atd, at a clock fixed by faketime.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
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

// A Wayland compositor (weston, headless) that answers while the toolkit's Wayland plugin
// is missing: the plugin's files are hidden in a mount namespace of the program's own.
std::vector<std::string> WithoutWaylandPlugin()
{
    return {"/usr/bin/unshare",
            "-m",
            "sh",
            "-c",
            "for f in \"$(qtpaths6 --plugin-dir)\"/platforms/libqwayland*.so; do\n"
            "    mount --bind /dev/null \"$f\" || exit 99\ndone\nexec \"$@\"",
            "sh"};
}

TEST_F(NoDisplayTest, AStartWithoutADisplayKeepsTheDailyStart)
{
    const std::time_t dailyStart = *InstantOfLocalTime(At(2099, 6, 1, 7, 30));
    const struct {
        const char* name;
        const char* now;
        bool madeByTheDailyStart;
        const char* pending;  // the one start left, as the queue shows it
        bool wayland = false;
    } cases[] = {
        {"a retry in 15 minutes", "2099-06-01 07:35:00", true, "Mon Jun  1 07:50:00 2099"},
        {"the last retry", "2099-06-01 11:20:00", true, "Mon Jun  1 11:35:00 2099"},
        {"after the tries, the next day's time", "2099-06-01 11:40:00", true, "Tue Jun  2 07:30:00 2099"},
        {"a start by the user changes nothing", "2099-06-01 07:35:00", false, "Tue Jun  2 07:30:00 2099"},
        {"Wayland without its plugin", "2099-06-01 07:35:00", true, "Mon Jun  1 07:50:00 2099", true},
    };
    const std::string runtime = m_folder.PathOf("run");
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const pid_t weston = ::fork();
    if (weston == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1), ::dup2(quiet, 2);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::execlp("weston", "weston", "--backend=headless-backend.so", "--use-pixman", "--socket=wayland-solmira",
                 "--idle-time=0", nullptr);
        ::_exit(127);
    }
    const std::shared_ptr<void> stopWeston(nullptr, [weston](void*) {
        ::kill(weston, SIGTERM);
        ::waitpid(weston, nullptr, 0);
    });
    for (int wait = 0; wait < 100 && !fs::exists(runtime + "/wayland-solmira"); ++wait)
        ::usleep(50000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The next day's start is pending, as the start that failed had registered it.
        ASSERT_FALSE(m_at.Add(Program(), dailyStart + 86400, {}).empty());
        ToolRun run;
        run.tool = Program();
        run.wrapper = FakeClockCommand(c.now);
        if (c.wayland) {
            ASSERT_TRUE(fs::exists(runtime + "/wayland-solmira")) << "weston does not run";
            const std::vector<std::string> hiding = WithoutWaylandPlugin();
            run.wrapper.insert(run.wrapper.begin(), hiding.begin(), hiding.end());
        }
        run.environment = {
            {"DISPLAY", c.wayland ? std::nullopt : std::optional<std::string>(":57")},
            {"WAYLAND_DISPLAY", c.wayland ? std::optional<std::string>("wayland-solmira") : std::nullopt},
            {"XDG_RUNTIME_DIR", runtime},
            {"QT_QPA_PLATFORM", std::nullopt},
            {"SOLMIRA_START_SERVICE", "at"},
            {"SOLMIRA_DAILY_START", std::nullopt},
            // faketime comes in before the sanitizer's runtime; that is harmless here.
            {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
        if (c.madeByTheDailyStart)
            run.environment["SOLMIRA_DAILY_START"] = std::to_string(dailyStart);
        const ToolOutcome ended = RunTool(run, m_folder.Path());
        if (c.wayland && ended.status == 99) {
            std::printf("skipped: no mount namespace here to hide the Wayland plugin in (needs root)\n");
            continue;
        }
        EXPECT_EQ(ended.status, 1) << "not an abort";
        EXPECT_EQ(ended.err, c.wayland ? "solmira: the toolkit has no working plugin for the display "
                                         "(wayland-solmira), so no window can open\n"
                                       : "solmira: no display answers (:57), so no window can open\n");
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
