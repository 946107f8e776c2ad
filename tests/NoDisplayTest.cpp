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
#include "tests/StartTestSupport.h"
#include "tests/TestFiles.h"
#include "tests/ToolRunner.h"

namespace
{

namespace fs = std::filesystem;

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
    // The toolkit's Wayland plugin goes missing in a mount namespace of the program's own.
    const std::string hide =
        "for f in \"$(qtpaths6 --plugin-dir)\"/platforms/libqwayland*.so; do\n"
        "    mount --bind /dev/null \"$f\" || exit 99\ndone\nexec \"$@\"";
    const std::vector<std::string> hiding{"/usr/bin/unshare", "-m", "sh", "-c", hide, "sh"};
    const auto either = [](bool which, const std::string& value) {
        return which ? std::optional<std::string>(value) : std::nullopt;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The next day's start is pending, as the start that failed had registered it.
        ASSERT_FALSE(m_at.Add(Program(), dailyStart + 86400, {}).empty());
        ToolRun run;
        run.tool = Program();
        run.wrapper = FakeClockCommand(c.now);
        if (c.wayland) {
            ASSERT_TRUE(fs::exists(runtime + "/wayland-solmira")) << "weston does not run";
            run.wrapper.insert(run.wrapper.begin(), hiding.begin(), hiding.end());
        }
        // faketime comes in before the sanitizer's runtime; that is harmless here.
        run.environment = {{"DISPLAY", either(!c.wayland, ":57")},
                           {"WAYLAND_DISPLAY", either(c.wayland, "wayland-solmira")},
                           {"XDG_RUNTIME_DIR", runtime},
                           {"QT_QPA_PLATFORM", std::nullopt},
                           {"SOLMIRA_START_SERVICE", "at"},
                           {"SOLMIRA_DAILY_START", either(c.madeByTheDailyStart, std::to_string(dailyStart))},
                           {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
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
        EXPECT_EQ(QueuedTime(pending[0]), c.pending);
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
    EnvironmentGuard platform("QT_QPA_PLATFORM", "xcb"), current("DISPLAY", ":57"),
        saved("SOLMIRA_SAVED_DISPLAY", screen.Display().c_str());
    EXPECT_TRUE(DisplayAnswers());
    EXPECT_EQ(DisplayName(), screen.Display());
}

}  // namespace
