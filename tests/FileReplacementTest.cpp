// A file created for writing replaces the old one whole: the old file stands until the new
// is in place, keeps its owner, mode and links, and what killed saves left goes away.
#include <gtest/gtest.h>
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

// Where the folder takes no new file, the file is written where it is: overwritten from
// the start, then cut, never emptied first. (The program's own folder would be overlaid by
// the user's: a shared folder beside it stands for such a folder.)
TEST_F(FileReplacementTest, AFolderThatTakesNoNewFileIsWrittenInPlace)
{
    const fs::perms readable = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(m_folder.Path(), readable | fs::perms::owner_write);
    fs::create_directory(m_folder.PathOf("shared"));
    m_folder.Write("shared/slm.dat", "a longer old content");
    fs::permissions(m_folder.PathOf("shared/slm.dat"), fs::perms::all);
    const ino_t old = Inode("shared/slm.dat");
    // Root writes anywhere: it takes an ordinary user's rights for the while.
    const bool root = ::geteuid() == 0;
    const auto lock = [&](bool locked) {
        if (root && !locked) {
            ASSERT_EQ(::seteuid(0), 0);
        }
        fs::permissions(m_folder.PathOf("shared"), locked ? readable : fs::perms::owner_all);
        if (root && locked) {
            ASSERT_EQ(::seteuid(65534), 0);
        }
    };
    const int descriptors = OpenDescriptorCount();
    const struct {
        const char* name;
        std::function<void(CFile&)> write;
        std::string expected;
    } cases[] = {
        {"shorter", [](CFile& f) { f.Write("new", 3); }, "new"},
        {"longer", [](CFile& f) { f.Write("a new content, longer than before", 33); },
         "a new content, longer than before"},
        {"empty", [](CFile&) {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lock(true);
        CFile file;
        const BOOL opened = file.Open(Device("shared/slm.dat").c_str(), CFile::modeCreate | CFile::modeWrite);
        if (opened)
            c.write(file);
        file.Close();
        const BOOL created = file.Open(Device("shared/none").c_str(), CFile::modeCreate | CFile::modeWrite);
        lock(false);
        EXPECT_TRUE(opened);
        EXPECT_FALSE(created) << "a missing file cannot be made there";
        EXPECT_EQ(ReadAll(m_folder.PathOf("shared/slm.dat")), c.expected);
        EXPECT_EQ(Inode("shared/slm.dat"), old);
        EXPECT_EQ(FileNames(m_folder.PathOf("shared")), std::vector<std::string>{"slm.dat"});
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

}  // namespace
