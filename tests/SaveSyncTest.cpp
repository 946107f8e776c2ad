// What a save asks of the disk, call by call: the new file flushed before it is renamed and
// the folder flushed after, so that a power loss keeps the old settings or the new; in
// place, one write over the old bytes, then the cut, then the flush. This test program
// stands in front of the C library's file calls to see them.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

// The calls on files under g_watched, each as "call path [detail]".
std::string g_watched;
std::vector<std::string> g_calls;

std::string PathOfDescriptor(int fd)
{
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

bool Watched(const std::string& path)
{
    return !g_watched.empty() && path.compare(0, g_watched.size(), g_watched) == 0;
}

void Note(const std::string& call, const std::string& path, const std::string& detail = "")
{
    if (Watched(path))
        g_calls.push_back(call + " " + path.substr(g_watched.size()) + (detail.empty() ? "" : " " + detail));
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
    static const auto next = Next<int (*)(int)>("fsync");
    if (!g_watched.empty())
        Note("fsync", PathOfDescriptor(fd));
    return next(fd);
}

int fdatasync(int fd)
{
    static const auto next = Next<int (*)(int)>("fdatasync");
    if (!g_watched.empty())
        Note("fdatasync", PathOfDescriptor(fd));
    return next(fd);
}

int rename(const char* from, const char* to)
{
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    if (Watched(from) && Watched(to))
        Note("rename", from, "to " + std::string(to).substr(g_watched.size()));
    return next(from, to);
}

ssize_t write(int fd, const void* buffer, size_t count)
{
    static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (!g_watched.empty())
        Note("write", PathOfDescriptor(fd), std::to_string(count));
    return next(fd, buffer, count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (!g_watched.empty())
        Note("write", PathOfDescriptor(fd),
             std::to_string(count) + (offset != 0 ? " at " + std::to_string(offset) : ""));
    return next(fd, buffer, count, offset);
}

int ftruncate(int fd, off_t length)
{
    static const auto next = Next<int (*)(int, off_t)>("ftruncate");
    if (!g_watched.empty())
        Note("cut", PathOfDescriptor(fd), std::to_string(length));
    return next(fd, length);
}

}  // extern "C"

namespace
{

// The new file's own part of its name ("-1234-0") made the same in every run.
std::vector<std::string> Calls()
{
    std::vector<std::string> calls;
    for (std::string call : g_calls) {
        for (std::string::size_type at = call.find(".new-"); at != std::string::npos; at = call.find(".new-", at + 1))
            call.replace(at, call.find_first_not_of("0123456789-", at + 5) - at, ".new-*");
        calls.push_back(call);
    }
    g_calls.clear();
    return calls;
}

TEST(SaveSyncTest, EverySaveReachesTheDiskWholeInOrder)
{
    TimeZoneGuard zone("UTC0");
    ProgramFolder folder;
    RecordingStartAtTime scheduler;
    fs::permissions(folder.Path(), fs::perms::all);
    fs::create_directory(folder.PathOf("shared"));
    const struct {
        const char* name;
        bool inPlace;  // in a folder that takes no new file
        std::vector<std::string> calls;
    } cases[] = {
        {"a new file renamed into place",
         false,
         {"write /slm.dat.new-* 24", "fsync /slm.dat.new-*", "rename /slm.dat.new-* to /slm.dat", "fsync "}},
        {"in place", true, {"write /shared/slm.dat 24", "cut /shared/slm.dat 24", "fsync /shared/slm.dat"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string where = c.inPlace ? folder.PathOf("shared") : folder.Path();
        WriteFile(where + "/slm.dat", std::string(30, 'x'));
        fs::permissions(where + "/slm.dat", fs::perms::all);
        g_strAppDir = DevicePathFromHostPath(where + "/").c_str();
        if (c.inPlace) {
            fs::permissions(where, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
            ASSERT_TRUE(::getuid() != 0 || ::seteuid(65534) == 0);
        }
        g_watched = folder.Path();
        WindowlessSettings settings;
        settings.m_timeRun = CTime(2025, 12, 10, 7, 30, 0);
        settings.SaveSettings();
        g_watched.clear();
        if (c.inPlace) {
            ASSERT_TRUE(::getuid() != 0 || ::seteuid(0) == 0);
            fs::permissions(where, fs::perms::all);
        }
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(ReadAll(where + "/slm.dat"), SettingsBytes(0, 0, {2025, 12, 3, 10, 7, 30}));
    }
    g_strAppDir.Empty();
}

}  // namespace
