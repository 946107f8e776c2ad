// A file created for writing replaces the old one whole: the old file stands until the new
// is in place, keeps its owner, mode and links, and what killed saves left goes away.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/CFile.h"
#include "platform/core/Paths.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

// The number of a process that has ended.
pid_t EndedProcess()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// Written through a link to a private file: the link, the mode and the old content stand
// until the new file takes the old one's place; what writers that ended left goes then.
TEST(FileReplacementTest, TheOldFileStandsUntilTheNewIsInPlace)
{
    ProgramFolder folder;
    fs::create_directory(folder.PathOf("real"));
    fs::create_symlink("real/slm.dat", folder.PathOf("slm.dat"));
    const std::string ended = std::to_string(EndedProcess());
    // Kept: a running writer's, and names that are not a writer's.
    std::vector<std::string> kept{"other.new-" + ended + "-0", "slm.dat", "slm.dat.new-" + ended + "-0x",
                                  "slm.dat.new-" + std::to_string(::getppid()) + "-0"};
    for (const std::string& name : kept)
        folder.Write("real/" + name, "old content");
    folder.Write("real/slm.dat.new-" + ended + "-17", "left");
    fs::permissions(folder.PathOf("real/slm.dat"), fs::perms::owner_read | fs::perms::owner_write);
    {
        CFile file;
        ASSERT_TRUE(file.Open(DevicePathFromHostPath(folder.PathOf("slm.dat")).c_str(),
                              CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        EXPECT_TRUE(file.Write("new", 3));
        EXPECT_EQ(ReadAll(folder.PathOf("slm.dat")), "old content") << "a reader still finds the old file";
    }
    EXPECT_EQ(ReadAll(folder.PathOf("real/slm.dat")), "new");
    EXPECT_TRUE(fs::is_symlink(folder.PathOf("slm.dat")));
    EXPECT_EQ(fs::status(folder.PathOf("real/slm.dat")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FileNames(folder.PathOf("real")), kept);
    // A file its user made read-only stays as it is, though its folder is theirs. Root may
    // write any file, so as root the folder is an ordinary user's, who writes.
    const std::string real = folder.PathOf("real"), file = real + "/slm.dat";
    fs::permissions(folder.Path(), fs::perms::all);
    fs::permissions(file, fs::perms::owner_read);
    const bool switched = ::geteuid() == 0 && ::chown(real.c_str(), 65534, 65534) == 0 &&
                          ::chown(file.c_str(), 65534, 65534) == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    CFile readOnly;
    EXPECT_FALSE(readOnly.Open(DevicePathFromHostPath(file).c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_TRUE(!switched || (::seteuid(0) == 0 && ::setegid(0) == 0));
}

// A save on a full disk leaves the old settings or the new, and where there were none, no
// file: an empty one would be taken for settings at the next start. The close tells which.
// The disk is a tmpfs of one page, mounted where only a child process sees it.
TEST(FileReplacementTest, ASaveOnAFullDiskLeavesTheOldFileOrNone)
{
    ProgramFolder folder;
    const std::string disk = folder.PathOf("disk"), saved(24, 'n');
    fs::create_directory(disk);
    for (const bool old : {false, true}) {
        SCOPED_TRACE(old ? "an old slm.dat" : "no slm.dat");
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=4k") != 0)
                ::_exit(77);
            if (old)
                WriteFile(disk + "/slm.dat", "old");
            WriteFile(disk + "/filler", std::string(8192, 'x'));  // as much as fits
            CFile file;
            if (file.Open(DevicePathFromHostPath(disk + "/slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite))
                file.Write(saved.data(), 24);
            // The close says whether the new content took the file's place.
            const bool placed = file.Close();
            const std::string left = fs::exists(disk + "/slm.dat") ? ReadAll(disk + "/slm.dat") : "(none)";
            // Nor is a half-written new file left beside it.
            const bool alone = FileNames(disk).size() == 1u + fs::exists(disk + "/slm.dat");
            ::_exit(left == (placed ? saved : old ? "old" : "(none)") && alone ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
            SKIP_OR_FAIL_UNDER_CI("no disk can be mounted here: the test needs root");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

}  // namespace
