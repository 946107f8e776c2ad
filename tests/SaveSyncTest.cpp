// Saves of the settings, call by call. What a save asks of the disk: the new file flushed
// before it is renamed and the folder flushed after, so that a power loss or a kill keeps the
// old settings or the new; in place, one write of the whole record over the old bytes, then
// the cut, then the flush. This test program stands in front of the C library's file calls.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
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

TEST(SaveSyncTest, EverySaveReachesTheDiskInOrder)
{
    TimeZoneGuard zone("UTC0");
    ProgramFolder root;
    RecordingStartAtTime scheduler;
    const std::string recordA = SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30, 0, 0});
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
    }
    g_strAppDir.Empty();
}

}  // namespace
