// A file created for writing replaces the old one whole: the old file stands until the new
// is in place, keeps its owner, mode and links, and what killed saves left goes away.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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
    ino_t Inode(const std::string& name) const
    {
        struct stat st {
        };
        return ::stat(m_folder.PathOf(name).c_str(), &st) == 0 ? st.st_ino : 0;
    }

    ProgramFolder m_folder;
};

TEST_F(FileReplacementTest, TheOldFileStandsUntilTheNewIsInPlace)
{
    m_folder.Write("slm.dat", "old content");
    const ino_t old = Inode("slm.dat");
    const int descriptors = OpenDescriptorCount();
    {
        CFile file;
        ASSERT_TRUE(file.Open(Device("slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        EXPECT_EQ(file.GetLength(), 0u) << "the file is empty as far as its writer sees";
        EXPECT_TRUE(file.Write("new", 3));
        EXPECT_EQ(ReadAll(m_folder.PathOf("slm.dat")), "old content") << "a reader still finds the old file";
        EXPECT_EQ(file.Seek(1, CFile::begin), 1);
        EXPECT_TRUE(file.Write("EWER", 4));
        EXPECT_EQ(file.GetLength(), 5u);
        EXPECT_EQ(file.Seek(2, CFile::end), 7) << "past the end, as in any file";
        EXPECT_TRUE(file.Write("!", 1));
        EXPECT_EQ(file.Seek(-100, CFile::current), 8) << "before the start: the position stays";
        // The destructor closes, and the new content takes the old one's place.
    }
    EXPECT_EQ(ReadAll(m_folder.PathOf("slm.dat")), std::string("nEWER\0\0!", 8));
    EXPECT_NE(Inode("slm.dat"), old) << "a new file took the old one's place";
    EXPECT_EQ(FileNames(m_folder.Path()), std::vector<std::string>{"slm.dat"});
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(FileReplacementTest, TheFileKeepsItsModeAndItsLink)
{
    fs::create_directory(m_folder.PathOf("real"));
    m_folder.Write("real/slm.dat", "old");
    fs::permissions(m_folder.PathOf("real/slm.dat"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real/slm.dat", m_folder.PathOf("slm.dat"));
    CFile file;
    ASSERT_TRUE(file.Open(Device("slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_TRUE(file.Write("new", 3));
    file.Close();
    EXPECT_TRUE(fs::is_symlink(m_folder.PathOf("slm.dat")));
    EXPECT_EQ(ReadAll(m_folder.PathOf("real/slm.dat")), "new");
    EXPECT_EQ(fs::status(m_folder.PathOf("real/slm.dat")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileReplacementTest, OnlyWhatEndedWritersLeftIsRemoved)
{
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(::getppid());
    const struct {
        std::string name;
        bool removed;
    } files[] = {
        {"slm.dat.new-" + ended + "-0", true},
        {"slm.dat.new-" + ended + "-17", true},
        {"slm.dat.new-" + running + "-0", false},  // its writer may be at work
        {"slm.dat.new-" + std::to_string(::getpid()) + "-99", false},
        {"slm.dat.new", false},
        {"slm.dat.new-" + ended, false},
        {"slm.dat.new-" + ended + "-0x", false},
        {"slm.dat.new-" + ended + "-0-1", false},
        {"other.new-" + ended + "-0", false},
    };
    for (const auto& f : files)
        m_folder.Write(f.name, "left");
    CFile file;
    ASSERT_TRUE(file.Open(Device("slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_EQ(ReadAll(m_folder.PathOf("slm.dat")), "") << "created and empty";
    for (const auto& f : files)
        EXPECT_EQ(fs::exists(m_folder.PathOf(f.name)), !f.removed) << f.name;
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
