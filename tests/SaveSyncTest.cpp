// What a save asks of the disk, call by call: the new file flushed before it is renamed and
// the folder flushed after, so that a power loss keeps the old settings or the new; in
// place, one write over the old bytes, then the cut, then the flush. This test program
// stands in front of the C library's file calls to see them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
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

// The calls on files under g_watched, each as "call path [detail]", with the new file's
// own part of its name ("-1234-0") made the same in every run.
std::string g_watched;
std::vector<std::string> g_calls;

void Note(const std::string& call, std::string path, const std::string& detail = "")
{
    if (path.rfind(g_watched, 0) == 0 && !g_watched.empty())
        g_calls.push_back(std::regex_replace(call + " " + path.substr(g_watched.size()) + detail,
                                             std::regex("\\.new-[0-9-]+"), ".new-*"));
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

TEST(SaveSyncTest, EverySaveReachesTheDiskWholeInOrder)
{
    TimeZoneGuard zone("UTC0");
    ProgramFolder folder;
    RecordingStartAtTime scheduler;
    fs::permissions(folder.Path(), fs::perms::all);
    fs::create_directory(folder.PathOf("shared"));
    const struct {
        bool inPlace;  // in a folder that takes no new file
        std::vector<std::string> calls;
    } cases[] = {
        {false, {"write /slm.dat.new-* 24", "fsync /slm.dat.new-*", "rename /slm.dat.new-* to /slm.dat", "fsync "}},
        {true, {"write /shared/slm.dat 24", "cut /shared/slm.dat 24", "fsync /shared/slm.dat"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inPlace ? "in place" : "a new file renamed into place");
        const std::string where = c.inPlace ? folder.PathOf("shared") : folder.Path();
        WriteFile(where + "/slm.dat", std::string(30, 'x'));
        fs::permissions(where + "/slm.dat", fs::perms::all);
        g_strAppDir = DevicePathFromHostPath(where + "/").c_str();
        if (c.inPlace) {
            fs::permissions(
                where, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec);
            ASSERT_TRUE(::getuid() != 0 || ::seteuid(65534) == 0);
        }
        g_watched = folder.Path();
        WindowlessSettings settings;
        settings.m_timeRun = CTime(2025, 12, 10, 7, 30, 0);
        settings.SaveSettings();
        g_watched.clear();
        ASSERT_TRUE(::getuid() != 0 || ::seteuid(0) == 0);
        fs::permissions(where, fs::perms::all);
        EXPECT_EQ(g_calls, c.calls);
        g_calls.clear();
        EXPECT_EQ(ReadAll(where + "/slm.dat"), SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30}));
    }
    g_strAppDir.Empty();
}

}  // namespace
