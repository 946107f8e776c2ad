// Saves of the settings, call by call and killed at random moments. What a save asks of the
// disk: the new file flushed before it is renamed and the folder flushed after, so that a
// power loss keeps the old settings or the new; in place, one write over the old bytes, then
// the cut, then the flush. Killed, two copies at once, either way: slm.dat is always the old
// record or the new. This test program stands in front of the C library's file calls.
#include <dlfcn.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <utility>
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

// The calls on files under g_watched, each as "call path [detail]", with the new file's
// own part of its name ("-1234-0") made the same in every run.
std::string g_watched;
std::vector<std::string> g_calls;

void Note(const std::string& call, std::string path, const std::string& detail = "")
{
    if (path.rfind(g_watched, 0) != 0 || g_watched.empty())
        return;
    std::string line = call + " " + path.substr(g_watched.size()) + detail;
    for (std::size_t at = line.find(".new-"); at != std::string::npos; at = line.find(".new-", at + 1))
        line.replace(at + 5, line.find_first_not_of("0123456789-", at + 5) - (at + 5), "*");
    g_calls.push_back(line);
}

std::string PathOf(int fd)
{
    std::error_code error;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string();
}

// The C library's own function of that name.
template <typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fsync(int fd)
{
    Note("fsync", g_watched.empty() ? "" : PathOf(fd));
    return Next<int (*)(int)>("fsync")(fd);
}

int rename(const char* from, const char* to)
{
    Note("rename", from, " to " + std::string(to).substr(std::min(g_watched.size(), std::string(to).size())));
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    Note("write", g_watched.empty() ? "" : PathOf(fd),
         " " + std::to_string(count) + (offset != 0 ? " at " + std::to_string(offset) : ""));
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, buffer, count, offset);
}

int ftruncate(int fd, off_t length)
{
    Note("cut", g_watched.empty() ? "" : PathOf(fd), " " + std::to_string(length));
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}

}  // extern "C"

namespace
{

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

TEST(SaveKillTest, EverySaveReachesTheDiskInOrderAndAKilledOneLeavesTheOldRecordOrTheNew)
{
    TimeZoneGuard zone("UTC0");
    ProgramFolder root;
    RecordingStartAtTime scheduler;
    const std::string recordA = SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30, 0, 0});
    const std::string recordB = SettingsBytes(0, 0, {2026, 6, 0, 21, 19, 45, 30, 0});
    const char* asked = std::getenv("SOLMIRA_KILLS");  // kills per case
    const int kills = asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 60;
    std::mt19937 random(std::random_device{}());
    fs::permissions(root.Path(), fs::perms::all);  // an ordinary user reaches it, as a real install
    const struct {
        bool inPlace;  // in a folder an ordinary user cannot write
        std::vector<std::string> calls;
    } cases[] = {
        {false, {"write /slm.dat.new-* 24", "fsync /slm.dat.new-*", "rename /slm.dat.new-* to /slm.dat", "fsync "}},
        {true, {"write /locked/slm.dat 24", "cut /locked/slm.dat 24", "fsync /locked/slm.dat"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inPlace ? "in place" : "a new file renamed into place");
        const std::string folder = c.inPlace ? root.PathOf("locked") : root.Path(), file = folder + "/slm.dat";
        fs::create_directories(folder);
        g_strAppDir = DevicePathFromHostPath(folder + "/").c_str();
        WriteFile(file, std::string(30, 'x'));
        fs::permissions(file, fs::perms::all);
        if (c.inPlace)
            fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        // One save, call by call; in place, as an ordinary user.
        ASSERT_TRUE(!c.inPlace || ::getuid() != 0 || ::seteuid(65534) == 0);
        g_watched = root.Path();
        WindowlessSettings settings;
        settings.m_timeRun = CTime(2025, 12, 10, 7, 30, 0);
        settings.SaveSettings();
        g_watched.clear();
        ASSERT_TRUE(::getuid() != 0 || ::seteuid(0) == 0);
        EXPECT_EQ(std::exchange(g_calls, {}), c.calls);
        EXPECT_EQ(ReadAll(file), recordA);
        // Then saves killed at random moments, two copies at once.
        int torn = 0, endedA = 0, endedB = 0;
        for (int kill = 0; kill < kills; ++kill) {
            std::vector<pid_t> savers;
            for (int copy = 0; copy < 2; ++copy) {
                const pid_t pid = ::fork();
                if (pid == 0)
                    SaveUntilKilled((kill + copy) % 2 == 1, c.inPlace);
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
