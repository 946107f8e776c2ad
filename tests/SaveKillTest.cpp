// Saves of the settings killed at random moments, alone and two copies at once, where the
// folder takes a new file and where it does not: slm.dat is always the old record or the new.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/TestEnvironment.h"
#include "settings/AppDir.h"
#include "tests/TestFiles.h"
#include "tests/WindowlessSettings.h"

namespace
{

namespace fs = std::filesystem;

// The two records the savers take turns with: run times 10 December 2025 07:30:00 (a
// Wednesday) and 21 June 2026 19:45:30 (a Sunday), both flags off.
const std::string kRecordA = SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30, 0, 0});
const std::string kRecordB = SettingsBytes(0, 0, {2026, 6, 0, 21, 19, 45, 30, 0});

// Kills per case; SOLMIRA_KILLS asks for more.
int Kills()
{
    const char* kills = std::getenv("SOLMIRA_KILLS");
    return kills != nullptr && std::atoi(kills) > 0 ? std::atoi(kills) : 100;
}

// The longest a saver runs before it is killed: several saves, each a few milliseconds.
constexpr int kMaxLifeMicroseconds = 20000;
constexpr uid_t kNobody = 65534;

// Saves in a loop until killed, as the Settings window's OK does, taking turns with the
// two run times. As root it first becomes an ordinary user, who cannot write the folder.
[[noreturn]] void SaveUntilKilled(bool startWithB, bool ordinaryUser)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (ordinaryUser && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
         ::setresuid(kNobody, kNobody, kNobody) != 0))
        ::_exit(3);
    WindowlessSettings settings;
    for (bool b = startWithB;; b = !b) {
        settings.m_timeRun = b ? CTime(2026, 6, 21, 19, 45, 30) : CTime(2025, 12, 10, 7, 30, 0);
        settings.SaveSettings();
    }
}

class SaveKillTest : public ::testing::Test
{
protected:
    SaveKillTest()
    {
        // An ordinary user must reach the folders, as in a real install.
        fs::permissions(m_folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                             fs::perms::others_read | fs::perms::others_exec);
        fs::create_directory(m_folder.PathOf("locked"));
    }
    ~SaveKillTest() override
    {
        fs::permissions(m_folder.PathOf("locked"), fs::perms::owner_all);
        g_strAppDir.Empty();
    }

    TimeZoneGuard m_zone{"UTC0"};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
};

TEST_F(SaveKillTest, AKilledSaveLeavesTheOldRecordOrTheNew)
{
    struct Case {
        const char* name;
        bool inPlace;  // in a folder the saver cannot write: the file is written where it is
        int copies;
    };
    const Case cases[] = {
        {"a new file renamed into place", false, 1},
        {"two copies renaming at once", false, 2},
        {"in place", true, 1},
        {"two copies in place at once", true, 2},
    };
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> life(0, kMaxLifeMicroseconds);
    SCOPED_TRACE("seed " + std::to_string(seed));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = c.inPlace ? m_folder.PathOf("locked") : m_folder.Path();
        const std::string file = folder + "/slm.dat";
        g_strAppDir = DevicePathFromHostPath(folder + "/").c_str();
        WriteFile(file, kRecordA);
        fs::permissions(file,
                        fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec & ~fs::perms::others_exec);
        if (c.inPlace)
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        // Held open, the first file keeps its inode number from being given to a new file.
        const int first = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat before {
        };
        ASSERT_EQ(::fstat(first, &before), 0);

        int torn = 0, tornReads = 0, reads = 0, endedA = 0, endedB = 0;
        std::string example;
        for (int kill = 0; kill < Kills(); ++kill) {
            std::vector<pid_t> savers;
            for (int copy = 0; copy < c.copies; ++copy) {
                const pid_t pid = ::fork();
                if (pid == 0)
                    SaveUntilKilled((kill + copy) % 2 == 1, c.inPlace);
                ASSERT_GT(pid, 0);
                savers.push_back(pid);
            }
            // A reader beside the savers sees whole files only where they are renamed
            // into place; in place, a read may meet a write halfway.
            const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(life(random));
            while (std::chrono::steady_clock::now() < end) {
                if (c.inPlace)
                    continue;
                const std::string seen = ReadAll(file);
                ++reads;
                tornReads += seen != kRecordA && seen != kRecordB;
            }
            for (const pid_t pid : savers) {
                ::kill(pid, SIGKILL);
                int status = 0;
                ::waitpid(pid, &status, 0);
                EXPECT_TRUE(WIFSIGNALED(status)) << "a saver ended by itself, status " << status;
            }
            const std::string left = ReadAll(file);
            if (left == kRecordA)
                ++endedA;
            else if (left == kRecordB)
                ++endedB;
            else if (++torn == 1)
                example = std::to_string(left.size()) + " bytes";
        }
        EXPECT_EQ(torn, 0) << "of " << Kills() << " kills, " << torn << " left neither record (first: " << example
                           << ")";
        EXPECT_EQ(tornReads, 0) << "of " << reads << " reads beside the savers";
        EXPECT_GT(endedB, 0) << "the savers saved";
        EXPECT_GT(endedA, 0);
        struct stat after {
        };
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace) << "only a save in place keeps the file itself";
        ::close(first);
        std::printf("%s: %d kills, %d left the first record, %d the second, %d neither; %d reads beside\n", c.name,
                    Kills(), endedA, endedB, torn, reads);

        if (!c.inPlace) {
            // What killed saves left behind goes with the next save.
            WindowlessSettings settings;
            settings.m_timeRun = CTime(2025, 12, 10, 7, 30, 0);
            settings.SaveSettings();
            EXPECT_EQ(FileNames(folder), std::vector<std::string>{"slm.dat"});
            EXPECT_EQ(ReadAll(file), kRecordA);
        }
    }
}

}  // namespace
