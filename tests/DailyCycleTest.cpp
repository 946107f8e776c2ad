// The daily start against a real atd, through the platform's own service and the
// program's real start-up: starts left with the other scheduler, refused or slow to answer;
// repeated starts while the queue changes under them and the clock changes; two copies at
// once and one ended half way; a job's script and systemd's units for a folder of any name;
// a start that finds no display. Also the chime, and the display a service manager's start
// takes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/dailystart/AtJobService.h"
#include "platform/dailystart/Command.h"
#include "platform/dailystart/LocalStartTime.h"
#include "platform/dailystart/ReplacingStartService.h"
#include "platform/dailystart/Scheduler.h"
#include "platform/dailystart/SchedulerChoice.h"
#include "platform/dailystart/StartEnvironment.h"
#include "platform/dailystart/SystemdTimerService.h"
#include "platform/framework/CWinApp.h"
#include "platform/sound/Sound.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/testing/VirtualScreen.h"
#include "platform/window/Display.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tests/ToolRunner.h"
#include "tools/PalmDatabase.h"

namespace
{

namespace fs = std::filesystem;

// The rules of Europe/Berlin, spelt out so that they hold whatever the machine's zone files.
constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

// Shell scripts that stand in for commands of the system while this object lives: their
// folder comes first on PATH.
struct StandInCommands : EnvironmentGuard {
    StandInCommands(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& scripts)
        : EnvironmentGuard("PATH", (folder + ":" + std::getenv("PATH")).c_str())
    {
        fs::create_directories(folder);
        for (const auto& [name, script] : scripts) {
            std::ofstream(folder + "/" + name) << "#!/bin/sh\n" << script << "\n";
            fs::permissions(folder + "/" + name, fs::perms::owner_all);
        }
    }
};

// A job's time as atq shows it in the current time zone, read with at's own tool.
inline std::string QueuedTime(const std::string& job)
{
    std::istringstream queue(RunCommand({"/usr/bin/atq"}).output);
    for (std::string line; std::getline(queue, line);)
        if (line.substr(0, line.find('\t')) == job)
            return line.substr(line.find('\t') + 1, 24);
    return "(not queued)";
}

// The chime never holds the start up, not even with a file that never opens.
TEST(SoundTest, PlayingReturnsAtOnce)
{
    // The platform's own player, not the record that tests use otherwise.
    const TestSeam<SoundPlayer*, SetSoundPlayerForTesting> platformPlayer(nullptr);
    ProgramFolder folder;
    // A FIFO opened by a reader that waits opens only with a writer: should the call wait so,
    // a watchdog opens its other end after 2 s (a hang, not a slow machine: the call itself
    // reads nothing).
    const std::string fifo = folder.PathOf("slm.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> returned{false};
    std::thread watchdog([&] {
        if (!WaitUntil([&] { return returned.load(); }, 2))
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PlaySound(DevicePathFromHostPath(fifo).c_str(), nullptr, SND_FILENAME | SND_ASYNC));
    returned = true;
    watchdog.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2 * kSanitizerSlowdown));
}

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

    TimeZoneGuard m_zone{kBerlin};
    ProgramFolder m_folder;
    EnvironmentGuard m_config{"XDG_CONFIG_HOME", m_folder.PathOf("config").c_str()};
    EnvironmentGuard m_forced{"SOLMIRA_START_SERVICE", "at"};
    EnvironmentGuard m_state{"XDG_STATE_HOME", m_folder.PathOf("state").c_str()};  // the locks
    // The platform's own service, not the record that tests use otherwise.
    TestSeam<StartAtTimeService*, SetStartAtTimeServiceForTesting> m_platformService{nullptr};
    AtJobService m_at;
    // A copy started while another renames over its file registers "(deleted)".
    std::vector<std::string> m_programs{Program(), Program() + " (deleted)"};
};

// Register and cancel reach both schedulers: a start left with at before a systemd
// session appeared, or the reverse, goes. A refused start or cancel leaves the one pending
// and says why. A cancel with nothing pending chooses no scheduler and looks at each.
TEST_F(DailyCycleTest, StartsLeftWithTheOtherSchedulerGo)
{
    const std::string program = Program();
    {
        EnvironmentGuard unforced("SOLMIRA_START_SERVICE", "");
        const std::string asked = m_folder.PathOf("asked");
        StandInCommands asking(m_folder.PathOf("asking"),
                               {{"systemctl", "echo \"systemctl $*\" >> '" + asked + "'; exit 1"},
                                {"atq", "echo atq >> '" + asked + "'; exec /usr/bin/atq \"$@\""}});
        EXPECT_TRUE(CeRunAppAtTime(DevicePathFromHostPath(program).c_str(), nullptr));
        ASSERT_TRUE(FinishStartRequests(20000));
        // Only at is looked at; again where the queue changed under atq, as other tests change it.
        const std::string heard = ReadAll(asked);
        EXPECT_TRUE(heard.rfind("atq\n", 0) == 0 && heard.find("systemctl") == std::string::npos) << heard;
    }
    SystemdTimerService units(SystemdTimerService::UserUnitFolder(), false);
    const std::string enabled = SystemdTimerService::UserUnitFolder() + "/timers.target.wants/" +
                                SystemdTimerService::UnitName(program) + ".timer";
    const std::time_t instant = *InstantOfLocalTime(At(2099, 12, 10, 7, 30));
    ASSERT_FALSE(units.Add(program, instant, {}).empty());
    fs::create_directories(fs::path(enabled).parent_path());
    fs::create_symlink("../" + SystemdTimerService::UnitName(program) + ".timer", enabled);

    {
        // The call returns at once although the user's service manager, asked to choose, is
        // slow to answer; the work is done after it.
        EnvironmentGuard unforced("SOLMIRA_START_SERVICE", "");
        StandInCommands slow(m_folder.PathOf("bin"),
                             {{"systemctl", "[ \"$2\" = show-environment ] && sleep 2; exit 1"}});
        const SYSTEMTIME time = At(2099, 12, 11, 7, 30);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(CeRunAppAtTime(DevicePathFromHostPath(program).c_str(), &time));
        // Waiting for the manager would take the 2 s it takes to say no.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
        ASSERT_TRUE(FinishStartRequests(20000));
    }
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
    EXPECT_FALSE(fs::exists(fs::symlink_status(enabled))) << "a manager that starts later must not arm it";
    EXPECT_EQ(JobsOf(program).size(), 1u);
    {
        StandInCommands refusing(m_folder.PathOf("bin"),
                                 {{"at", "[ \"$1\" = -c ] && exec /usr/bin/at \"$@\"; exit 1"}, {"atrm", "exit 1"}});
        EXPECT_EQ(ReplacingStartService(&m_at, {}).Register(program, At(2099, 12, 13, 7, 30)).failure, "at refused");
        EXPECT_EQ(ReplacingStartService(&m_at, {}).Register(program, At(2099, 4, 31, 7, 30)).failure, "no such time");
        EXPECT_EQ(ReplacingStartService(&m_at, {}).Cancel(program).failure, "at failed");
    }
    EXPECT_EQ(JobsOf(program).size(), 1u) << "a refused start or cancel leaves the last one";
    {
        // atrm fails for 2.5 s, longer than one pass asks it: the second pass removes
        // the job, though systemd, looked at last, holds nothing.
        const std::string busy =
            "[ -e \"$0.t\" ] || date +%s%3N > \"$0.t\"\n[ $(($(date +%s%3N) - $(cat \"$0.t\"))) -ge 2500 ] || exit 1";
        StandInCommands slowToRemove(m_folder.PathOf("busy"), {{"atrm", busy + "\nexec /usr/bin/atrm \"$@\""}});
        EXPECT_TRUE(ReplacingStartService(nullptr, {&m_at, &units}).Cancel(program).Done() && JobsOf(program).empty());
    }
    {
        // at refuses once, as with its spool busy for a moment: the second try takes it.
        const std::string once = m_folder.PathOf("refused-once");
        StandInCommands refusingOnce(m_folder.PathOf("bin"),
                                     {{"at", "[ \"$1\" = -c ] || [ -e '" + once + "' ] || { : > '" + once +
                                                 "'; exit 1; }; exec /usr/bin/at \"$@\""}});
        EXPECT_TRUE(ReplacingStartService(&m_at, {}).Register(program, At(2099, 12, 14, 7, 30)).Done());
    }
    EXPECT_EQ(JobsOf(program).size(), 1u);
    // at's start goes when systemd's is made; a cancel takes both.
    EXPECT_TRUE(ReplacingStartService(&units, {&m_at}).Register(program, At(2099, 12, 12, 7, 30)).Done());
    EXPECT_TRUE(JobsOf(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>{"2099-12-12 06:30:00 UTC"});

    ASSERT_FALSE(m_at.Add(program, instant, {}).empty());
    EXPECT_TRUE(MakePlatformStartAtTimeService()->Cancel(program).Done());
    EXPECT_TRUE(JobsOf(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
}

// Real starts of the program while at's tools give up every third time (atq twice in a
// row), as they do when a job file goes (another user's job that ran or was removed) while
// they read the queue: the service asks again, and never takes a failed answer for an empty
// queue or a failed removal for a reason to give up the new start. Another program's starts
// stay. Each run starts with 02:30 chosen on the eve of the spring change (02:30 is
// skipped, so the job is at 03:30 CEST) and in the repeated hour (at 02:15 CET with 02:30
// CEST gone, the job is at 02:30 CET, still ahead), then with 07:30, then with AutoRun off.
TEST_F(DailyCycleTest, RealStartsWhileAtsToolsGiveUpNowAndThen)
{
    const std::string neighbour = Made(m_folder.PathOf("neighbour/solmira"));
    ASSERT_FALSE(m_at.Add(neighbour, *InstantOfLocalTime(At(2099, 1, 1)), {}).empty());
    const auto givingUp = [](const char* tool, const char* when) {
        return std::string("count=$(($(cat \"$0.count\" 2>/dev/null || echo 0) + 1)); echo $count > \"$0.count\"\n") +
               "if " + when + " [ $((count % 3)) = 0 ]; then\n" +
               "    echo 'Cannot stat in /var/spool/cron/atjobs: No such file or directory' >&2; exit 1\nfi\n" +
               "exec /usr/bin/" + tool + " \"$@\"";
    };
    StandInCommands tools(m_folder.PathOf("bin"), {{"atq", givingUp("atq", "[ $((count % 3)) = 1 ] ||")},
                                                   {"atrm", givingUp("atrm", "")},
                                                   {"at", givingUp("at", "[ \"$1\" = -c ] &&")}});
    const struct {
        std::time_t now;
        bool autoRun;
        int hour;
        const char* queued;  // in UTC
    } cases[] = {{4078344600 /* 2099-03-28 01:30 UTC */, true, 2, "Sun Mar 29 01:30:00 2099"},
                 {1824945300 /* 2027-10-31 01:15 UTC */, true, 2, "Sun Oct 31 01:30:00 2027"},
                 {4100562000 /* 2099-12-10 05:00 UTC */, true, 7, "Thu Dec 10 06:30:00 2099"},
                 {4100562000, false, 7, nullptr}};
    FixedClock clock(2000, 1, 1);
    for (int run = 0; run < 3; ++run) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(run) + ": " + std::to_string(c.now) + (c.autoRun ? " on" : " off"));
            SetClockForTesting(c.now);
            Start(c.autoRun, c.hour, 30);
            const std::vector<std::string> jobs = JobsOf(Program());
            ASSERT_EQ(jobs.size(), c.queued ? 1u : 0u);
            EnvironmentGuard utc("TZ", "UTC0");
            EXPECT_EQ(c.queued ? QueuedTime(jobs[0]) : "", c.queued ? c.queued : "");
        }
    }
    EXPECT_EQ(JobsOf(neighbour).size(), 1u);
}

// Copies of a program that registers or cancels its start, after an upgrade renamed a new
// program file over theirs, two at once, one waiting for another's lock, one told to end
// half way: never two starts pending, and none lost. The end of a copy waits for its
// request, but not for ever for a scheduler that hangs.
TEST_F(DailyCycleTest, TwoCopiesAtOnceAndOneEndedHalfWay)
{
    fs::copy_file(SOLMIRA_START_REQUEST, Program());
    const std::string run = m_folder.PathOf("run");
    fs::create_directory(run);
    EnvironmentGuard runtime("XDG_RUNTIME_DIR", run.c_str());  // where the lock lies
    const auto pending = [&] { return m_at.Pending(Program()).value_or(std::vector<std::string>{"?", "?"}).size(); };
    for (const char* request : {"register", "cancel"}) {
        EXPECT_EQ(RunCommand({Program(), request, "self-upgraded"}, std::string(), 20000).status, 0);
        EXPECT_EQ(pending(), request == std::string("register") ? 1u : 0u) << "the path it was started from";
    }
    // A copy waits while another holds the program's lock, even one that only shares it.
    const std::vector<fs::path> locks{fs::directory_iterator(run), fs::directory_iterator()};
    ASSERT_EQ(locks.size(), 1u);
    const int held = ::open(locks[0].c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_SH), 0);
    const pid_t waiting = ::fork();
    if (waiting == 0) {
        ::execl(Program().c_str(), "solmira", "register", "self", nullptr);
        ::_exit(127);
    }
    // Once the copy has the lock's file open, one that does not wait registers within
    // moments; this one must not until the lock is let go.
    const auto atTheLock = [&] {
        std::error_code error;
        const fs::directory_iterator fds("/proc/" + std::to_string(waiting) + "/fd", error);
        return std::any_of(begin(fds), end(fds), [&](auto& fd) { return fs::read_symlink(fd, error) == locks[0]; });
    };
    EXPECT_TRUE(WaitUntil(atTheLock, 20)) << "the copy never came to the lock";
    // 2 s in every build, not scaled: the copy's end waits only 5 s for its registration.
    EXPECT_FALSE(WaitUntil([&] { return pending() != 0u; }, 2.0 / kSanitizerSlowdown))
        << "a copy went on while another held the lock";
    ::close(held);
    ::waitpid(waiting, nullptr, 0);
    EXPECT_EQ(pending(), 1u);
    // A copy reads the old job's script afresh (at gives none once, and the old job still
    // goes), and holds the program's lock while at adds its job, here and below.
    StandInCommands once(m_folder.PathOf("once"),
                         {{"at", "[ \"$1\" = -c ] || ! flock -n -s '" + locks[0].string() +
                                     "' true || : > \"$0.unlocked\"\n[ \"$2\" = " + m_at.Pending(Program())->at(0) +
                                     " ] && [ ! -e \"$0.1\" ] && : > \"$0.1\" && exit 1\nexec /usr/bin/at \"$@\""}});
    EXPECT_EQ(RunCommand({Program(), "register", "self"}, std::string(), 20000).status, 0);
    EXPECT_EQ(pending(), 1u);
    // A termination signal while a copy registers waits for the work: the old start goes too.
    const std::string old = m_at.Pending(Program())->at(0), slow = m_folder.PathOf("slow/at");
    StandInCommands slowAt(m_folder.PathOf("slow"), {{"at",
                                                      "[ \"$1\" = -c ] || { : > \"$0.in\"; for _ in $(seq 400); do\n"
                                                      "    [ -e \"$0.go\" ] && break; sleep 0.05; done; }\n"
                                                      "/usr/bin/at \"$@\"; s=$?; : > \"$0.done\"; exit $s"}});
    const pid_t signalled = ::fork();
    if (signalled == 0) {
        ::execl(Program().c_str(), "solmira", "register", "self", nullptr);
        ::_exit(127);
    }
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(slow + ".in"); }, 20)) << "the copy never asked at";
    ::kill(signalled, SIGTERM);
    WriteFile(slow + ".go", "");
    int status = 0;
    ::waitpid(signalled, &status, 0);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(slow + ".done"); }, 20) && WIFSIGNALED(status)) << status;
    const std::vector<std::string> jobs = JobsOf(Program());
    EXPECT_TRUE(jobs.size() == 1 && jobs[0] != old) << jobs.size() << " pending: killed half way";
    // The program's end waits for its requests, but not for ever for a scheduler that hangs.
    // What it did not wait for is said.
    EXPECT_FALSE(fs::exists(m_folder.PathOf("once/at.unlocked"))) << "at added a job without the lock";
    StandInCommands hanging(m_folder.PathOf("bin"), {{"atq", "exec sleep 8"}});
    const auto start = std::chrono::steady_clock::now();
    const CommandResult ended = RunCommand({Program(), "cancel", "self"}, std::string(), 20000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
    EXPECT_EQ(std::to_string(ended.status) + ended.output,
              "0solmira: the program ended before the system's scheduler answered, so the daily start may not be as "
              "asked\n");
}

// The Settings window's OK says what became of the start it asked for, once the scheduler
// has answered or the few seconds the window waits are over: registered, refused by at (as
// for a user at.deny names), no scheduler at all, or no answer yet (the start then still
// comes). The window closes after it.
TEST_F(DailyCycleTest, TheSettingsWindowSaysWhatBecameOfItsStart)
{
    FixedClock clock(2099, 12, 10, 6, 0);
    const std::wstring notSet = L"The settings were saved, but DEDUVO is not set to run on 10 of Dec, 2099 at 7:30 (";
    const struct {
        const char* service;  // SOLMIRA_START_SERVICE
        std::string at;       // what stands in for at's command, if anything
        std::wstring told;    // what the message says
        std::size_t jobs;     // left once all is done
    } cases[] = {
        {"at", "", L"DEDUVO will next run on 10 of Dec, 2099 at 7:30", 1},
        {"at", "[ \"$1\" = -c ] && exec /usr/bin/at \"$@\"; echo 'You do not have permission to use at.' >&2; exit 1",
         notSet + L"at refused)", 0},
        {"none", "", notSet + L"no scheduler)", 0},
        {"at", "[ \"$1\" = -c ] || sleep 4; exec /usr/bin/at \"$@\"", notSet + L"no answer yet)", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.service) + " " + c.at);
        EnvironmentGuard service("SOLMIRA_START_SERVICE", c.service);
        StandInCommands at(m_folder.PathOf("bin"), {{"at", c.at.empty() ? "exec /usr/bin/at \"$@\"" : c.at}});
        m_folder.Write("slm.dat", SettingsBytes(0, 0, {2099, 12, 3, 9, 7, 30}));
        ScriptedUser user;
        user.Expect(L"REZEZO 1.0", [](WindowView& w) {
            w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
            w.Click(IDOK);
        });
        user.Expect(L"Settings", [](WindowView& w) {
            w.Click(IDC_AUTORUN);
            w.Click(IDOK);
        });
        user.Expect(L"Support Notice", [](WindowView& w) { w.Click(IDOK); });
        user.Expect(L"Autorun", [&c](WindowView& w) {
            EXPECT_EQ(w.MessageText(), c.told);
            w.Click(IDOK);
        });
        AfxWinMain(0, nullptr, ProgramResources());
        ASSERT_TRUE(FinishStartRequests(20000));
        EXPECT_EQ(JobsOf(Program()).size(), c.jobs);
    }
}

// The real program with AutoRun on, its file replaced by an upgrade at moments over the
// first 30 ms of its start, while the loader may still be loading its libraries: each start
// registers the path it was started from, never "… (deleted)", with the environment the
// program received, not what it set for itself (no session bus to join, as here). It is
// ended by SIGTERM once its job is seen.
TEST_F(DailyCycleTest, AnUpgradeAsTheProgramStartsKeepsItsPath)
{
    const std::string program = Program(), upgrade = Program() + ".new", deleted = Program() + " (deleted)";
    fs::copy_file(SOLMIRA_PROGRAM_DIR "/solmira", program);
    // A time of day half a day from now, so that no job comes due while the test runs.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2099, 12, 3, 9, (now.wHour + 12) % 24, 0}));
    for (int delay = 0; delay <= 30000; delay += 2000) {
        SCOPED_TRACE("renamed over after " + std::to_string(delay) + " µs");
        fs::copy_file(SOLMIRA_PROGRAM_DIR "/solmira", upgrade);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
            ::unsetenv("XDG_RUNTIME_DIR");
            ::setenv("SOLMIRA_RECEIVED", "yes", 1);
            ::execl(program.c_str(), "solmira", nullptr);
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(delay));
        ASSERT_EQ(std::rename(upgrade.c_str(), program.c_str()), 0);
        WaitUntil([&] { return !m_at.Pending(program).value_or(std::vector<std::string>()).empty(); }, 20);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        ASSERT_EQ(JobsOf(deleted), std::vector<std::string>());
        const std::vector<std::string> jobs = JobsOf(program);
        ASSERT_EQ(jobs.size(), 1u);
        const std::string script = RunCommand({"at", "-c", jobs[0]}).output;
        EXPECT_TRUE(script.find("\nSOLMIRA_RECEIVED=yes; export SOLMIRA_RECEIVED\n") != std::string::npos &&
                    script.find("DBUS_SESSION_BUS_ADDRESS") == std::string::npos)
            << script;
        m_at.Remove(program, jobs[0]);
    }
}

// A start for a program in a folder of any name. The at job runs from wherever it was
// made, even a folder that is gone by then, never before its time, with the display of the
// registration, and once the program is gone it ends quietly. systemd's units pass its own
// checks (a real manager runs them in Install.SystemdTimer), each start an instance of its
// own so that a window left open never holds back the next.
TEST_F(DailyCycleTest, AJobOrAUnitStartsItsProgramFromAnyFolder)
{
    const std::string units = m_folder.PathOf("units"), ran = m_folder.PathOf("ran"),
                      madeIn = m_folder.PathOf("made in");
    EnvironmentGuard display("DISPLAY", ":7 100%");
    StandInCommands manager(m_folder.PathOf("bin"), {{"systemctl", "true"}});
    SystemdTimerService service(units, false);
    fs::create_directories(madeIn);
    const fs::path before = fs::current_path();
    fs::current_path(madeIn);
    std::vector<std::string> made;
    // Quotes, shell and systemd specials, control characters, bytes that are not UTF-8.
    for (const std::string name : {"with space 'single' \"double\" back\\slash\ttab\x01\x1f\x7f",
                                   "dollar $HOME ${HOME} `id` $(id) 100% %h %%;&& | * ? [x] #hash =eq ",
                                   "UTF-8 \xc3\x9cnic\xc3\xb6"
                                   "de \xe2\x98\x80 not \xff\xfe\xc3",
                                   "-leading dash", "new\nline", "\\"}) {
        // A program that writes the path it was started from into `ran`.
        made.push_back(Made(m_folder.PathOf("programs/" + name + "/solmira")));
        fs::create_directories(fs::path(made.back()).parent_path());
        WriteFile(made.back(), "#!/bin/sh\nprintf '%s' \"$0\" > '" + ran + "'\n");
        fs::permissions(made.back(), fs::perms::owner_all);
        EXPECT_TRUE(ReplacingStartService(&m_at, {}).Register(made.back(), At(2099, 12, 10, 7, 30, 20)).Done());
    }
    fs::current_path(before);
    fs::remove_all(madeIn);

    const std::time_t instant = *InstantOfLocalTime(At(2099, 12, 10, 7, 30));
    for (const std::string& program : made) {
        SCOPED_TRACE(program);
        const std::vector<std::string> jobs = JobsOf(program);
        ASSERT_EQ(jobs.size(), 1u) << "the job is known by its program";
        EXPECT_EQ(QueuedTime(jobs[0]), "Thu Dec 10 07:31:00 2099") << "at counts in minutes: never before the time";
        const std::string script = RunCommand({"at", "-c", jobs[0]}).output;
        EXPECT_NE(script.find("DISPLAY=':7 100%'; export DISPLAY"), std::string::npos);
        WriteFile(m_folder.PathOf("job"), script);

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

        fs::remove(ran);
        const CommandResult run = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(ReadAll(ran), program);
        fs::remove(program);
        const CommandResult gone = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(std::to_string(gone.status) + gone.output, "0") << "status 0, no output";
    }

    // A start is written as the instant it names, in UTC, so that it elapses; a new one
    // replaces it, and one the manager refuses leaves it.
    fs::remove_all(units);
    const std::string program = m_folder.PathOf("solmira");
    const std::string timer = units + "/" + SystemdTimerService::UnitName(program) + ".timer";
    ReplacingStartService replacing(&service, {});
    ASSERT_TRUE(replacing.Register(program, At(2099, 10, 25, 2, 30)).Done());
    ASSERT_TRUE(replacing.Register(program, At(2099, 12, 10, 7, 30, 45)).Done());
    EXPECT_NE(ReadAll(timer).find("\nOnCalendar=2099-12-10 06:30:45 UTC\n"), std::string::npos) << ReadAll(timer);
    StandInCommands refusing(m_folder.PathOf("bin"), {{"systemctl", "exit 1"}});
    EXPECT_TRUE(SystemdTimerService(units, true).Add(program, instant + 60, {}).empty());
    EXPECT_TRUE(SystemdTimerService(units, true).Add(program + "2", instant, {}).empty());
    EXPECT_EQ(FileNames(units).size(), 2u) << "replaced, not added; a refused first start leaves no unit";
    EXPECT_EQ(service.Pending(program), (std::vector<std::string>{"2099-12-10 06:30:45 UTC"}));
    EXPECT_TRUE(replacing.Cancel(program).Done());
    EXPECT_FALSE(fs::exists(timer));
}

// A start that finds no display, or a Wayland display without the toolkit's plugin: the
// real program ends with one line, and a daily start it was made for keeps the cycle
// going, at a clock fixed by faketime.
TEST_F(DailyCycleTest, AStartWithoutADisplayKeepsTheDailyStart)
{
    fs::copy_file(SOLMIRA_PROGRAM_DIR "/solmira", Program());
    TimeZoneGuard utc("UTC0");  // faketime's clock reads as UTC
    if (FakeClockCommand("2099-06-01 07:35:00").empty())
        SKIP_OR_FAIL_UNDER_CI("faketime is not installed");
    std::string notRun;
    const std::time_t dailyStart = *InstantOfLocalTime(At(2099, 6, 1, 7, 30));
    const struct {
        const char* now;
        bool wayland, daily;     // daily: made by the daily start, not by the user
        const char* pending;     // the one start left, as the queue shows it
        bool noPlugins = false;  // the toolkit's own lookup finds no platform plugin at all
    } cases[] = {
        {"2099-06-01 07:35:00", false, true, "Mon Jun  1 07:50:00 2099"},  // a retry in 15 minutes
        {"2099-06-01 11:40:00", false, true, "Tue Jun  2 07:30:00 2099"},  // after the tries, the next day's time
        {"2099-06-01 07:35:00", true, true, "Mon Jun  1 07:50:00 2099"},
        {"2099-06-01 07:35:00", false, false, "Tue Jun  2 07:30:00 2099"},  // a start by the user changes nothing
        {"2099-06-01 07:35:00", false, true, "Mon Jun  1 07:50:00 2099", true},
    };
    // A real compositor answers; the toolkit's plugin is what fails.
    const std::string runtime = m_folder.PathOf("run");
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const pid_t weston = ::fork();
    if (weston == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::execlp("weston", "weston", "--backend=headless-backend.so", "--use-pixman", "--socket=wayland-solmira",
                 "--idle-time=0", "--log=/dev/null", nullptr);
        ::_exit(127);
    }
    const std::shared_ptr<void> stopWeston(nullptr,
                                           [weston](void*) { ::kill(weston, SIGTERM), ::waitpid(weston, nullptr, 0); });
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(runtime + "/wayland-solmira"); }, 5)) << "weston does not run";
    // The toolkit's Wayland plugin goes missing in a mount namespace of the program's own.
    const std::string hide =
        "for f in \"$(qtpaths6 --plugin-dir)\"/platforms/libqwayland*.so; do\n"
        "    mount --bind /dev/null \"$f\" || exit 99\ndone\nexec \"$@\"";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.now) + (c.wayland ? " wayland" : "") + (c.daily ? "" : " by the user") +
                     (c.noPlugins ? " no plugins" : ""));
        // A qt.conf beside the program that names an empty folder for the plugins.
        fs::remove(m_folder.PathOf("qt.conf"));
        if (c.noPlugins)
            WriteFile(m_folder.PathOf("qt.conf"), "[Paths]\nPlugins=" + runtime + "\n");
        // The next day's start is pending, as the start that failed had registered it.
        ASSERT_FALSE(m_at.Add(Program(), dailyStart + 86400, {}).empty());
        ToolRun run;
        run.tool = Program();
        run.wrapper = FakeClockCommand(c.now);
        if (c.wayland)
            run.wrapper.insert(run.wrapper.begin(), {"/usr/bin/unshare", "-m", "sh", "-c", hide, "sh"});
        // faketime comes in before the sanitizer's runtime; that is harmless here.
        run.environment = {{c.wayland ? "DISPLAY" : "WAYLAND_DISPLAY", std::nullopt},
                           {c.wayland ? "WAYLAND_DISPLAY" : "DISPLAY", c.wayland ? "wayland-solmira" : ":57"},
                           {"XDG_RUNTIME_DIR", runtime},
                           {"QT_QPA_PLATFORM", std::nullopt},
                           {"SOLMIRA_START_SERVICE", "at"},
                           {"SOLMIRA_DAILY_START", c.daily ? std::optional(std::to_string(dailyStart)) : std::nullopt},
                           {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
        const ToolOutcome ended = RunTool(run, m_folder.Path());
        if (c.wayland && ended.status == 99) {
            notRun = "the Wayland row needs a mount namespace to hide the plugin in (root)";
            continue;
        }
        EXPECT_EQ(ended.status, 1) << "not an abort";
        EXPECT_EQ(ended.err, c.wayland ? "solmira: the toolkit has no working plugin for the display "
                                         "(wayland-solmira), so no window can open\n"
                                       : "solmira: no display answers (:57), so no window can open\n");
        const std::vector<std::string> pending = m_at.Pending(Program()).value_or(std::vector<std::string>());
        ASSERT_EQ(pending.size(), 1u) << "one start, never none or two";
        EXPECT_EQ(QueuedTime(pending[0]), c.pending);
        // A daily start's job carries the daily time it is for (the 2nd's after the tries).
        const std::string daily = "SOLMIRA_DAILY_START='" + std::to_string(dailyStart + (c.pending[9] == '2') * 86400);
        EXPECT_EQ(RunCommand({"at", "-c", pending[0]}).output.find(daily + "'") != std::string::npos, c.daily);
        m_at.Remove(Program(), pending[0]);
    }
    if (!notRun.empty())
        SKIP_OR_FAIL_UNDER_CI(notRun);
}

// A start by the user's service manager takes the display the desktop session gave the
// manager, and falls back on the one of the registration, with its key, when that answers
// not. A check of a display leaves no connection open.
TEST(DisplayTest, TheSavedDisplayStandsInForOneThatDoesNotAnswer)
{
    // A key any display of this machine takes: one cookie, for any address.
    const ProgramFolder folder;
    const std::string key = folder.PathOf("Xauthority");
    WriteFile(key, std::string("\xFF\xFF\0\0\0\0\0\x12MIT-MAGIC-COOKIE-1\0\x10", 28) + "0123456789abcdef");
    const VirtualScreen screen(key);
    if (screen.Display().empty())
        SKIP_OR_FAIL_UNDER_CI("Xvfb is not installed");
    EnvironmentGuard platform("QT_QPA_PLATFORM", "xcb"), current("DISPLAY", ":57"),
        saved("SOLMIRA_SAVED_DISPLAY", screen.Display().c_str()),
        currentKey("XAUTHORITY", folder.PathOf("gone").c_str()), savedKey("SOLMIRA_SAVED_XAUTHORITY", key.c_str());
    const auto descriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    EXPECT_TRUE(DisplayAnswers());
    EXPECT_EQ(descriptors(), before) << "the check keeps its connection open";
    EXPECT_EQ(DisplayName(), screen.Display());
}

}  // namespace
