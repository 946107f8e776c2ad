// Saves of the settings killed at random moments, two copies at once, where the folder
// takes a new file and where it does not: slm.dat is always the old record or the new.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
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

// Saves in a loop until killed, as the Settings window's OK does, taking turns with two
// run times. As root it first becomes an ordinary user, who cannot write the folder.
[[noreturn]] void SaveUntilKilled(bool startWithB, bool ordinaryUser)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (ordinaryUser && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
         ::setresuid(65534, 65534, 65534) != 0))
        ::_exit(3);
    WindowlessSettings settings;
    for (bool b = startWithB;; b = !b) {
        settings.m_timeRun = b ? CTime(2026, 6, 21, 19, 45, 30) : CTime(2025, 12, 10, 7, 30, 0);
        settings.SaveSettings();
    }
}

TEST(SaveKillTest, AKilledSaveLeavesTheOldRecordOrTheNew)
{
    TimeZoneGuard zone("UTC0");
    ProgramFolder root;
    RecordingStartAtTime scheduler;
    const std::string recordA = SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30, 0, 0});
    const std::string recordB = SettingsBytes(0, 0, {2026, 6, 0, 21, 19, 45, 30, 0});
    const char* asked = std::getenv("SOLMIRA_KILLS");  // kills per case
    const int kills = asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 60;
    std::mt19937 random(std::random_device{}());
    // An ordinary user must reach the folders, as in a real install.
    fs::permissions(root.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    for (const bool inPlace : {false, true}) {  // in place: a folder the saver cannot write
        SCOPED_TRACE(inPlace ? "in place" : "a new file renamed into place");
        const std::string folder = inPlace ? root.PathOf("locked") : root.Path(), file = folder + "/slm.dat";
        fs::create_directories(folder);
        g_strAppDir = DevicePathFromHostPath(folder + "/").c_str();
        WriteFile(file, recordA);
        fs::permissions(file, fs::perms::all);
        if (inPlace)
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
        int torn = 0, endedA = 0, endedB = 0;
        for (int kill = 0; kill < kills; ++kill) {
            std::vector<pid_t> savers;
            for (int copy = 0; copy < 2; ++copy) {
                const pid_t pid = ::fork();
                if (pid == 0)
                    SaveUntilKilled((kill + copy) % 2 == 1, inPlace);
                ASSERT_GT(pid, 0);
                savers.push_back(pid);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
            for (const pid_t pid : savers) {
                ::kill(pid, SIGKILL);
                int status = 0;
                ::waitpid(pid, &status, 0);
                EXPECT_TRUE(WIFSIGNALED(status)) << "a saver ended by itself, status " << status;
            }
            const std::string left = ReadAll(file);
            endedA += left == recordA, endedB += left == recordB;
            torn += left != recordA && left != recordB;
        }
        EXPECT_EQ(torn, 0) << "of " << kills << " kills, " << torn << " left neither record";
        EXPECT_TRUE(endedA > 0 && endedB > 0) << "the savers saved each record";
    }
    g_strAppDir.Empty();
}

}  // namespace
