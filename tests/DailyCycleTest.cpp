// The daily cycle through the program's real start-up and the platform's own service, with
// a real atd: repeated starts while the queue changes under them, a start on the eve of a
// change to daylight saving, and registrations that never hold up the window.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/core/AtJobService.h"
#include "platform/core/Command.h"
#include "platform/core/Paths.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "res/Resources.h"
#include "tests/StartTestSupport.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

// The jobs in the queue whose script names the program, read with at's own tools, which
// are asked again when they give up.
std::vector<std::string> JobsOf(const std::string& program)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const CommandResult queue = RunCommand({"/usr/bin/atq"});
        std::vector<std::string> jobs;
        bool complete = queue.status == 0;
        std::istringstream lines(queue.output);
        for (std::string line; complete && std::getline(lines, line);) {
            const std::string job = line.substr(0, line.find('\t'));
            const CommandResult script = RunCommand({"/usr/bin/at", "-c", job});
            complete = script.status == 0;
            if (script.output.find("\n# solmira start of: " + program + "\n") != std::string::npos)
                jobs.push_back(job);
        }
        if (complete)
            return jobs;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {"(the queue cannot be read)"};
}

// Removes every job whose script holds text.
void RemoveJobsWith(const std::string& text)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const CommandResult queue = RunCommand({"atq"});
        bool left = queue.status != 0;
        std::istringstream lines(queue.output);
        for (std::string line; std::getline(lines, line);) {
            const std::string job = line.substr(0, line.find('\t'));
            const CommandResult script = RunCommand({"at", "-c", job});
            if (script.status != 0 || script.output.find(text) != std::string::npos)
                left = script.status != 0 || RunCommand({"atrm", job}).status != 0 || left;
        }
        if (!left)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

class DailyCycleTest : public ::testing::Test
{
protected:
    DailyCycleTest()
    {
        EXPECT_TRUE(AtdAnswers()) << "atd is not running: ./dev.sh test starts it";
        m_folder.Write("solmiraverse.pdb", BuildPalmDatabase("Book", std::vector<std::string>(366, "A reading.")));
    }
    ~DailyCycleTest() override
    {
        CeRunAppAtTime(DevicePathFromHostPath(Program()).c_str(), nullptr);
        FinishStartRequests(20000);
        SetStartAtTimeService(m_recording);
    }

    // One start of the program, closed by the user as soon as its window shows, and the
    // platform's work for it finished.
    void Start(bool autoRun, int hour, int minute)
    {
        m_folder.Write("slm.dat", SettingsBytes(0, autoRun ? 1 : 0, {2099, 12, 3, 9, hour, minute}));
        ScriptedUser user;
        user.Expect(L"REZEZO 1.0", [](WindowView& w) { w.Click(IDOK); });
        AfxWinMain(0, nullptr, ProgramResources());
        EXPECT_EQ(user.Remaining(), 0u);
        ASSERT_TRUE(FinishStartRequests(20000));
    }
    std::string Program() const { return m_folder.PathOf("solmira"); }

    TimeZoneGuard m_zone{kBerlin};
    ProgramFolder m_folder;
    EnvironmentGuard m_config{"XDG_CONFIG_HOME", m_folder.PathOf("config").c_str()};
    EnvironmentGuard m_forced{"SOLMIRA_START_SERVICE", "at"};
    // The platform's own service, not the record that tests use otherwise.
    StartAtTimeService* m_recording = SetStartAtTimeService(nullptr);
};

// Three-start runs (AutoRun on, on again, then off) with at's tools giving up every third
// time, as they do when a job file goes (another user's job that ran or was removed) while
// they read the queue: the service asks again, and never takes a failed answer for an
// empty queue or a failed removal for a reason to give up the new start.
TEST_F(DailyCycleTest, ThreeStartRunsWhileAtsToolsGiveUpNowAndThen)
{
    FixedClock clock(2099, 12, 10, 6, 0);
    const std::string neighbour = "# solmira test neighbour of " + m_folder.Path() + "\ntrue\n";
    for (int i = 0; i < 3; ++i)
        RunCommand({"at", "-t", "209901010000"}, neighbour);
    const auto givingUp = [](const char* tool, const char* when) {
        return std::string("count=$(($(cat \"$0.count\" 2>/dev/null || echo 0) + 1)); echo $count > \"$0.count\"\n") +
               "if " + when + " [ $((count % 3)) = 0 ]; then\n" +
               "    echo 'Cannot stat in /var/spool/cron/atjobs: No such file or directory' >&2; exit 1\nfi\n" +
               "exec /usr/bin/" + tool + " \"$@\"";
    };
    {
        StandInCommands tools(m_folder.PathOf("bin"), {{"atq", givingUp("atq", "")},
                                                       {"atrm", givingUp("atrm", "")},
                                                       {"at", givingUp("at", "[ \"$1\" = -c ] &&")}});
        for (int run = 0; run < 10; ++run) {
            for (const bool autoRun : {true, true, false}) {
                Start(autoRun, 7, 30);
                EXPECT_EQ(JobsOf(Program()).size(), autoRun ? 1u : 0u) << "run " << run;
            }
        }
    }
    RemoveJobsWith(neighbour);
}

// A start on the eve of the spring change, at the chosen time 02:30 that the clock skips
// the next day: one job, at 03:30 on the day of the change.
TEST_F(DailyCycleTest, AStartOnTheEveOfTheSpringChange)
{
    FixedClock clock(2099, 3, 28, 2, 30);
    Start(true, 2, 30);
    const std::vector<std::string> jobs = JobsOf(Program());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(RunCommand({"atq"}).output.find(jobs[0] + "\tSun Mar 29 03:30:00 2099"), std::string::npos);
}

// The call returns at once even where a scheduler is slow to answer (here the user's
// service manager, asked once to choose); the work is done after it.
TEST_F(DailyCycleTest, ARegistrationNeverHoldsUpTheCaller)
{
    EnvironmentGuard unforced("SOLMIRA_START_SERVICE", "");
    StandInCommands slow(m_folder.PathOf("bin"), {{"systemctl", "sleep 2\nexit 1"}});
    const std::wstring device = DevicePathFromHostPath(Program());
    const SYSTEMTIME time = At(2099, 12, 10, 7, 30);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(CeRunAppAtTime(device.c_str(), &time));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_TRUE(FinishStartRequests(20000));
    EXPECT_EQ(JobsOf(Program()).size(), 1u) << "atd answers where no service manager does";
}

// The program's end waits for the requests still on their way, but not for a scheduler
// that hangs.
TEST_F(DailyCycleTest, TheEndWaitsForRequestsButNotForever)
{
    const CommandResult registered = RunCommand({SOLMIRA_START_REQUEST, "register", Program()}, std::string(), 20000);
    EXPECT_EQ(registered.status, 0) << registered.output;
    EXPECT_EQ(JobsOf(Program()).size(), 1u) << "the registration was finished before the end";

    StandInCommands hanging(m_folder.PathOf("bin"), {{"atq", "exec sleep 8"}});
    const auto start = std::chrono::steady_clock::now();
    const CommandResult cancelled = RunCommand({SOLMIRA_START_REQUEST, "cancel", Program()}, std::string(), 20000);
    EXPECT_EQ(cancelled.status, 0) << cancelled.output;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
}

}  // namespace
