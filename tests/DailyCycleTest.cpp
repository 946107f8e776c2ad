// The daily start in a real atd's queue, through the platform's own service and the
// program's real start-up: the job's time and script, replacement and removal, starts left
// with the other scheduler, repeated starts while the queue changes under them, the changes
// of daylight saving, two copies killed at random, and requests that never hold anyone up.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/core/AtJobService.h"
#include "platform/core/Clock.h"
#include "platform/core/Command.h"
#include "platform/core/Paths.h"
#include "platform/core/ReplacingStartService.h"
#include "platform/core/StartAtTimeServices.h"
#include "platform/core/SystemdTimerService.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "res/Resources.h"
#include "tests/StartTestSupport.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

namespace fs = std::filesystem;

class DailyCycleTest : public ::testing::Test
{
protected:
    DailyCycleTest()
    {
        EXPECT_TRUE(AtdAnswers()) << "atd is not running: ./dev.sh test starts it";
        m_folder.Write("solmiraverse.pdb", BuildPalmDatabase("Book", std::vector<std::string>(366, "A reading.")));
    }
    // Every job that a test made goes with it.
    ~DailyCycleTest() override
    {
        CeRunAppAtTime(DevicePathFromHostPath(Program()).c_str(), nullptr);
        FinishStartRequests(20000);
        SetStartAtTimeService(m_recording);
        for (const std::string& program : m_programs)
            for (const std::string& job : m_at.Pending(program).value_or(std::vector<std::string>()))
                m_at.Remove(program, job);
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
    std::string Made(const std::string& path) { return m_programs.emplace_back(path); }
    std::vector<std::string> JobsOf(const std::string& program)
    {
        return m_at.Pending(program).value_or(std::vector<std::string>{"(the queue cannot be read)"});
    }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};  // Europe/Berlin
    ProgramFolder m_folder;
    EnvironmentGuard m_config{"XDG_CONFIG_HOME", m_folder.PathOf("config").c_str()};
    EnvironmentGuard m_forced{"SOLMIRA_START_SERVICE", "at"};
    EnvironmentGuard m_state{"XDG_STATE_HOME", m_folder.PathOf("state").c_str()};  // the locks
    // The platform's own service, not the record that tests use otherwise.
    StartAtTimeService* m_recording = SetStartAtTimeService(nullptr);
    AtJobService m_at;
    std::vector<std::string> m_programs;
};

// The job starts its program whatever the folder's name, and from wherever it was made,
// even a folder that is gone when the job runs, with the display of the registration;
// once the program is gone, it ends quietly.
TEST_F(DailyCycleTest, AJobStartsItsProgramFromAnyFolder)
{
    const std::string ran = m_folder.PathOf("ran"), madeIn = m_folder.PathOf("made in");
    fs::create_directories(madeIn);
    const fs::path before = fs::current_path();
    fs::current_path(madeIn);
    EnvironmentGuard display("DISPLAY", ":7 x");
    std::vector<std::string> made;
    for (const std::string& name : AwkwardFolderNames()) {
        made.push_back(Made(MakeRecordingProgram(m_folder.PathOf("programs"), name, ran)));
        EXPECT_TRUE(ReplacingStartService(&m_at, {}).Register(made.back(), At(2099, 12, 10, 7, 30)));
    }
    fs::current_path(before);
    fs::remove_all(madeIn);
    for (const std::string& program : made) {
        SCOPED_TRACE(program);
        const std::vector<std::string> jobs = JobsOf(program);
        ASSERT_EQ(jobs.size(), 1u) << "the job is known by its program";
        fs::remove(ran);
        const std::string script = RunCommand({"at", "-c", jobs[0]}).output;
        EXPECT_NE(script.find("DISPLAY=':7 x'; export DISPLAY"), std::string::npos);
        WriteFile(m_folder.PathOf("job"), script);
        const CommandResult run = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(ReadAll(ran), program);
        fs::remove(program);
        const CommandResult gone = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(gone.status, 0);
        EXPECT_EQ(gone.output, "");
    }
}

// Register and cancel reach both schedulers: a start left with at before a systemd
// session appeared, or the reverse, goes.
TEST_F(DailyCycleTest, StartsLeftWithTheOtherSchedulerGo)
{
    const std::string program = Made(Program());
    SystemdTimerService units(SystemdTimerService::UserUnitFolder(), false);
    const std::string enabled = SystemdTimerService::UserUnitFolder() + "/timers.target.wants/" +
                                SystemdTimerService::UnitName(program) + ".timer";
    const std::time_t instant = *InstantOfLocalTime(At(2099, 12, 10, 7, 30));
    ASSERT_FALSE(units.Add(program, instant, {}).empty());
    fs::create_directories(fs::path(enabled).parent_path());
    fs::create_symlink("../" + SystemdTimerService::UnitName(program) + ".timer", enabled);

    EXPECT_TRUE(MakePlatformStartAtTimeService()->Register(program, At(2099, 12, 11, 7, 30)));
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
    EXPECT_FALSE(fs::exists(fs::symlink_status(enabled))) << "a manager that starts later must not arm it";
    EXPECT_EQ(JobsOf(program).size(), 1u);

    EXPECT_TRUE(ReplacingStartService(&units, {&m_at}).Register(program, At(2099, 12, 12, 7, 30)));
    EXPECT_TRUE(JobsOf(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>{"2099-12-12 06:30:00 UTC"});

    ASSERT_FALSE(m_at.Add(program, instant, {}).empty());
    EXPECT_TRUE(MakePlatformStartAtTimeService()->Cancel(program));
    EXPECT_TRUE(JobsOf(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
}

// Three-start runs (AutoRun on, on again, then off) with at's tools giving up every third
// time, as they do when a job file goes (another user's job that ran or was removed) while
// they read the queue: the service asks again, and never takes a failed answer for an
// empty queue or a failed removal for a reason to give up the new start. Another
// program's starts stay.
TEST_F(DailyCycleTest, ThreeStartRunsWhileAtsToolsGiveUpNowAndThen)
{
    FixedClock clock(2099, 12, 10, 6, 0);
    const std::string neighbour = Made(m_folder.PathOf("neighbour/solmira"));
    for (int i = 0; i < 3; ++i)
        m_at.Add(neighbour, *InstantOfLocalTime(At(2099, 1, 1)), {});
    const auto givingUp = [](const char* tool, const char* when) {
        return std::string("count=$(($(cat \"$0.count\" 2>/dev/null || echo 0) + 1)); echo $count > \"$0.count\"\n") +
               "if " + when + " [ $((count % 3)) = 0 ]; then\n" +
               "    echo 'Cannot stat in /var/spool/cron/atjobs: No such file or directory' >&2; exit 1\nfi\n" +
               "exec /usr/bin/" + tool + " \"$@\"";
    };
    StandInCommands tools(
        m_folder.PathOf("bin"),
        {{"atq", givingUp("atq", "")}, {"atrm", givingUp("atrm", "")}, {"at", givingUp("at", "[ \"$1\" = -c ] &&")}});
    for (int run = 0; run < 5; ++run) {
        for (const bool autoRun : {true, true, false}) {
            Start(autoRun, 7, 30);
            EXPECT_EQ(JobsOf(Program()).size(), autoRun ? 1u : 0u) << "run " << run;
        }
    }
    EXPECT_EQ(JobsOf(neighbour).size(), 3u);
}

// Starts at the changes of daylight saving, with 02:30 chosen: on the eve of the spring
// change, the next day's 02:30 is skipped, so the job is at 03:30 CEST; in the repeated
// hour, at 02:15 CET with 02:30 CEST gone, the job is at 02:30 CET, still ahead.
TEST_F(DailyCycleTest, StartsAtTheChangesOfDaylightSaving)
{
    const struct {
        std::time_t now;
        const char* queued;  // in UTC
    } cases[] = {{4078344600 /* 2099-03-28 01:30 UTC */, "Sun Mar 29 01:30:00 2099"},
                 {1824945300 /* 2027-10-31 01:15 UTC */, "Sun Oct 31 01:30:00 2027"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queued);
        FixedClock clock(2000, 1, 1);
        SetFixedClock(c.now);
        Start(true, 2, 30);
        const std::vector<std::string> jobs = JobsOf(Program());
        ASSERT_EQ(jobs.size(), 1u);
        EnvironmentGuard utc("TZ", "UTC0");
        EXPECT_EQ(QueuedTime(jobs[0]), c.queued);
    }
}

// Copies of the program two at a time, each a start or a save with AutoRun off, some after
// an upgrade renamed a new program file over theirs, killed at random moments by SIGTERM,
// SIGINT or SIGHUP: never two starts pending, and a copy that ended by itself leaves what
// it asked for. 20 rounds keep the suite quick; SOLMIRA_ROUNDS=200 (or more) asks for more.
TEST_F(DailyCycleTest, TwoCopiesAtOnceKilledAtRandom)
{
    fs::copy_file(SOLMIRA_START_REQUEST, Program());
    const auto pending = [&] { return m_at.Pending(Program()).value_or(std::vector<std::string>{"?", "?"}).size(); };
    for (const char* request : {"register", "cancel"}) {
        const CommandResult upgraded = RunCommand({Program(), request, "self-upgraded"}, std::string(), 20000);
        EXPECT_EQ(upgraded.status, 0) << upgraded.output;
        EXPECT_EQ(pending(), request == std::string("register") ? 1u : 0u) << "the path it was started from";
    }
    const char* asked = std::getenv("SOLMIRA_ROUNDS");
    const int rounds = asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 20;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::size_t before = pending();
    for (int round = 0; round < rounds; ++round) {
        const bool start = random() % 3 != 0;
        std::vector<pid_t> copies;
        for (int copy = 0; copy < 2; ++copy) {
            const char* path = random() % 4 == 0 ? "self-upgraded" : "self";
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::execl(Program().c_str(), "solmira", start ? "register" : "cancel", path, nullptr);
                ::_exit(127);
            }
            copies.push_back(pid);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 150000));
        int ended = 0;
        for (const pid_t pid : copies) {
            ::kill(pid, std::vector<int>{SIGTERM, SIGINT, SIGHUP}[random() % 3]);
            int status = 0;
            ::waitpid(pid, &status, 0);
            ended += WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        const std::size_t now = pending();
        ASSERT_LE(now, 1u) << "round " << round;
        if (ended > 0)
            ASSERT_EQ(now, start ? 1u : 0u) << "round " << round;
        else
            ASSERT_TRUE(now == before || now == (start ? 1u : 0u)) << "round " << round;
        before = now;
    }
}

// The call returns at once even where a scheduler is slow to answer (here the user's
// service manager, asked once to choose), and the work is done after it; the program's
// end waits for the requests still on their way, but not for a scheduler that hangs.
TEST_F(DailyCycleTest, RequestsHoldUpNeitherTheCallerNorTheEndForEver)
{
    {
        EnvironmentGuard unforced("SOLMIRA_START_SERVICE", "");
        StandInCommands slow(m_folder.PathOf("bin"), {{"systemctl", "sleep 2\nexit 1"}});
        const std::wstring device = DevicePathFromHostPath(Program());
        const SYSTEMTIME time = At(2099, 12, 10, 7, 30), never = At(2099, 4, 31, 7, 30);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(CeRunAppAtTime(device.c_str(), &time));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_FALSE(CeRunAppAtTime(device.c_str(), &never)) << "31 April is refused at once";
        ASSERT_TRUE(FinishStartRequests(20000));
        EXPECT_EQ(JobsOf(Program()).size(), 1u) << "atd answers where no service manager does";
    }
    StandInCommands hanging(m_folder.PathOf("bin"), {{"atq", "exec sleep 8"}});
    const auto start = std::chrono::steady_clock::now();
    const CommandResult cancelled = RunCommand({SOLMIRA_START_REQUEST, "cancel", Program()}, std::string(), 20000);
    EXPECT_EQ(cancelled.status, 0) << cancelled.output;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
}

}  // namespace
