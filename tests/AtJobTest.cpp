// The daily start in a real atd's queue: the job's time, its script run from any folder,
// replacement and removal, and starts left with the other scheduler.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "platform/core/AtJobService.h"
#include "platform/core/Command.h"
#include "platform/core/Paths.h"
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

// The queue's line for a job, with its time as the current time zone shows it.
std::string QueueLine(const std::string& job)
{
    std::istringstream queue(RunCommand({"atq"}).output);
    std::string line;
    while (std::getline(queue, line))
        if (line.substr(0, line.find_first_of(" \t")) == job)
            return line;
    return std::string();
}

class AtJobTest : public ::testing::Test
{
protected:
    AtJobTest() { EXPECT_TRUE(AtdAnswers()) << "atd is not running: ./dev.sh test starts it"; }
    // Every job that a test made goes with it.
    ~AtJobTest() override
    {
        for (const std::string& program : m_programs)
            for (const std::string& job : m_at.Pending(program).value_or(std::vector<std::string>()))
                m_at.Remove(program, job);
    }
    std::string Program(const std::string& path) { return m_programs.emplace_back(path); }
    std::vector<std::string> Jobs(const std::string& program)
    {
        return m_at.Pending(program).value_or(std::vector<std::string>{"(cannot tell)"});
    }

    TimeZoneGuard m_zone{kBerlin};
    ProgramFolder m_folder;
    EnvironmentGuard m_state{"XDG_STATE_HOME", m_folder.PathOf("state").c_str()};  // the locks
    AtJobService m_at;
    std::vector<std::string> m_programs;
};

TEST_F(AtJobTest, OneJobPerProgramReplacedAndCancelled)
{
    const std::string program = Program(m_folder.PathOf("solmira"));
    const std::string other = Program(m_folder.PathOf("other/solmira"));
    EnvironmentGuard display("DISPLAY", ":7");
    ReplacingStartService service(&m_at, {});

    ASSERT_TRUE(service.Register(program, At(2099, 12, 10, 7, 30)));
    ASSERT_TRUE(service.Register(other, At(2099, 12, 10, 8, 0)));
    std::vector<std::string> jobs = Jobs(program);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(QueueLine(jobs[0]).find("Dec 10 07:30:00 2099"), std::string::npos) << QueueLine(jobs[0]);
    const std::string script = RunCommand({"at", "-c", jobs[0]}).output;
    EXPECT_NE(script.find("DISPLAY=':7'; export DISPLAY"), std::string::npos);
    EXPECT_NE(script.find("exec '" + program + "'"), std::string::npos);

    ASSERT_TRUE(service.Register(program, At(2099, 12, 11, 6, 5)));
    jobs = Jobs(program);
    ASSERT_EQ(jobs.size(), 1u) << "a registration replaces the earlier one";
    EXPECT_NE(QueueLine(jobs[0]).find("Dec 11 06:05:00 2099"), std::string::npos) << QueueLine(jobs[0]);

    EXPECT_TRUE(service.Cancel(program));
    EXPECT_TRUE(Jobs(program).empty());
    EXPECT_TRUE(service.Cancel(program)) << "a cancel with nothing pending does no harm";
    EXPECT_EQ(Jobs(other).size(), 1u) << "another program's start stays";

    // Through the platform's call: a date-time that cannot exist is refused.
    StartAtTimeService* previous = SetStartAtTimeService(&service);
    const std::wstring device = DevicePathFromHostPath(program);
    for (const SYSTEMTIME& bad : {At(2099, 4, 31, 7, 30), At(2099, 12, 10, 25, 0), At(2099, 2, 29, 7, 0)})
        EXPECT_FALSE(CeRunAppAtTime(device.c_str(), &bad));
    EXPECT_TRUE(Jobs(program).empty());
    SetStartAtTimeService(previous);
}

// The job starts its program whatever the folder's name, and from wherever it was made,
// even a folder that is gone when the job runs.
TEST_F(AtJobTest, AJobStartsItsProgramFromAnyFolder)
{
    const std::string ran = m_folder.PathOf("ran");
    const std::string madeIn = m_folder.PathOf("made in");
    fs::create_directories(madeIn);
    const fs::path before = fs::current_path();
    fs::current_path(madeIn);
    std::vector<std::pair<std::string, std::string>> made;  // program, job
    for (const std::string& name : AwkwardFolderNames()) {
        const std::string program = Program(MakeRecordingProgram(m_folder.PathOf("programs"), name, ran));
        made.emplace_back(program, m_at.Add(program, *InstantOfLocalTime(At(2099, 12, 10, 7, 30)), {}));
    }
    fs::current_path(before);
    fs::remove_all(madeIn);

    for (const auto& [program, job] : made) {
        SCOPED_TRACE(program);
        ASSERT_FALSE(job.empty());
        EXPECT_EQ(Jobs(program), std::vector<std::string>{job}) << "the job is known by its program";
        fs::remove(ran);
        WriteFile(m_folder.PathOf("job"), RunCommand({"at", "-c", job}).output);
        const CommandResult run = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(ReadAll(ran), program);
        // Once the program is gone, the job does nothing, in silence.
        fs::remove(program);
        const CommandResult gone = RunCommand({"sh", m_folder.PathOf("job")}, std::string(), 5000);
        EXPECT_EQ(gone.status, 0);
        EXPECT_EQ(gone.output, "");
    }
    // And atd runs such a job and keeps nothing of it.
    const CommandResult queued = RunCommand({"at", "now"}, AtJobService::JobScript(m_folder.PathOf("gone"), {}));
    const std::string::size_type at = queued.output.find("job ");
    ASSERT_NE(at, std::string::npos) << queued.output;
    const std::string job = queued.output.substr(at + 4, queued.output.find(' ', at + 4) - at - 4);
    for (int wait = 0; wait < 100 && !QueueLine(job).empty(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(QueueLine(job), "");
}

// A registration that at refuses leaves the start that was pending, and says so once.
TEST_F(AtJobTest, ARefusedRegistrationLeavesTheLastStart)
{
    const std::string program = Program(m_folder.PathOf("solmira"));
    ReplacingStartService service(&m_at, {});
    ASSERT_TRUE(service.Register(program, At(2099, 12, 10, 7, 30)));
    const std::vector<std::string> before = Jobs(program);
    {
        StandInCommands refusing(m_folder.PathOf("bin"),
                                 {{"at", "[ \"$1\" = -c ] && exec /usr/bin/at \"$@\"\nexit 1"}});
        testing::internal::CaptureStderr();
        EXPECT_FALSE(service.Register(program, At(2099, 12, 11, 7, 30)));
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    }
    EXPECT_EQ(Jobs(program), before);
}

// Register and cancel reach both schedulers: a start left with at before a systemd
// session appeared, or the reverse, goes.
TEST_F(AtJobTest, StartsLeftWithTheOtherSchedulerGo)
{
    const std::string program = Program(m_folder.PathOf("solmira"));
    EnvironmentGuard config("XDG_CONFIG_HOME", m_folder.PathOf("config").c_str());
    EnvironmentGuard forced("SOLMIRA_START_SERVICE", "at");
    SystemdTimerService units(SystemdTimerService::UserUnitFolder(), false);
    const std::string enabled = SystemdTimerService::UserUnitFolder() + "/timers.target.wants/" +
                                SystemdTimerService::UnitName(program) + ".timer";
    const std::time_t instant = *InstantOfLocalTime(At(2099, 12, 10, 7, 30));
    const auto leaveTimer = [&] {
        ASSERT_FALSE(units.Add(program, instant, {}).empty());
        fs::create_directories(fs::path(enabled).parent_path());
        fs::create_symlink("../" + SystemdTimerService::UnitName(program) + ".timer", enabled);
    };

    leaveTimer();
    EXPECT_TRUE(MakePlatformStartAtTimeService()->Register(program, At(2099, 12, 11, 7, 30)));
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
    EXPECT_FALSE(fs::exists(fs::symlink_status(enabled))) << "a manager that starts later must not arm it";
    EXPECT_EQ(Jobs(program).size(), 1u);

    EXPECT_TRUE(ReplacingStartService(&units, {&m_at}).Register(program, At(2099, 12, 12, 7, 30)));
    EXPECT_TRUE(Jobs(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>{"2099-12-12 06:30:00 UTC"});

    ASSERT_FALSE(m_at.Add(program, instant, {}).empty());
    EXPECT_TRUE(MakePlatformStartAtTimeService()->Cancel(program));
    EXPECT_TRUE(Jobs(program).empty());
    EXPECT_EQ(units.Pending(program), std::vector<std::string>());
}

}  // namespace
