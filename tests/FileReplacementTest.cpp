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

#include "platform/core/Paths.h"
#include "platform/framework/CFile.h"
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

class FileReplacementTest : public ::testing::Test
{
protected:
    std::wstring Device(const std::string& name) const { return DevicePathFromHostPath(m_folder.PathOf(name)); }

    ProgramFolder m_folder;
};

// Written through a link to a private file: the link, the mode and the old content stand
// until the new file takes the old one's place; what writers that ended left goes then.
TEST_F(FileReplacementTest, TheOldFileStandsUntilTheNewIsInPlace)
{
    fs::create_directory(m_folder.PathOf("real"));
    fs::create_symlink("real/slm.dat", m_folder.PathOf("slm.dat"));
    const std::string ended = std::to_string(EndedProcess());
    // Kept: a running writer's, and names that are not a writer's.
    std::vector<std::string> kept{"other.new-" + ended + "-0", "slm.dat", "slm.dat.new-" + ended + "-0x",
                                  "slm.dat.new-" + std::to_string(::getppid()) + "-0"};
    for (const std::string& name : kept)
        m_folder.Write("real/" + name, "old content");
    m_folder.Write("real/slm.dat.new-" + ended + "-17", "left");
    fs::permissions(m_folder.PathOf("real/slm.dat"), fs::perms::owner_read | fs::perms::owner_write);
    {
        CFile file;
        ASSERT_TRUE(file.Open(Device("slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        EXPECT_TRUE(file.Write("new", 3));
        EXPECT_EQ(ReadAll(m_folder.PathOf("slm.dat")), "old content") << "a reader still finds the old file";
    }
    EXPECT_EQ(ReadAll(m_folder.PathOf("real/slm.dat")), "new");
    EXPECT_TRUE(fs::is_symlink(m_folder.PathOf("slm.dat")));
    EXPECT_EQ(fs::status(m_folder.PathOf("real/slm.dat")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FileNames(m_folder.PathOf("real")), kept);
}

// A save on a full disk leaves the old settings or the new, and where there were none, no
// file: an empty one would be taken for settings at the next start. The disk is a tmpfs
// of one page, mounted where only a child process sees it.
TEST_F(FileReplacementTest, ASaveOnAFullDiskLeavesTheOldFileOrNone)
{
    const std::string disk = m_folder.PathOf("disk"), saved(24, 'n');
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
            if (file.Open(Device("disk/slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite))
                file.Write(saved.data(), 24);
            file.Close();
            const std::string left = fs::exists(disk + "/slm.dat") ? ReadAll(disk + "/slm.dat") : "(none)";
            std::fprintf(stderr, "slm.dat: %s\n", left.c_str());
            ::_exit(left == (old ? "old" : "(none)") || (old && left == saved) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
            GTEST_SKIP() << "no disk can be mounted here: the test needs root";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

}  // namespace
