// solmira-book takes regular files only, reads no more than a book can hold, and writes a
// book whole or not at all: nothing a disk holds makes it wait, abort or fill memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/BookToolFixture.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

using BookToolFilesTest = BookToolFixture;

constexpr double kAtOnce = 5;  // seconds: ample under the sanitizers, far below a hang

std::vector<std::string> Leftovers(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST_F(BookToolFilesTest, EveryCommandRefusesWhatIsNoBookAtOnce)
{
    const std::string folder = m_folder.PathOf("folder"), fifo = m_folder.PathOf("fifo");
    const std::string sparse = m_folder.PathOf("sparse.pdb");
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Five gigabytes that take no room: the size of a file that no book can be.
    const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{5} << 30), 0);
    ::close(fd);
    const std::string source = Put("source.txt", "@@ 0\nTitle\n");
    const std::string out = m_folder.PathOf("out.pdb");
    const struct {
        const char* name;
        std::string path;
        int status;
        std::string reason;
    } files[] = {
        {"folder", folder, 2, "Is a directory"},
        {"FIFO", fifo, 2, "not a regular file but a FIFO"},
        {"/dev/zero", "/dev/zero", 2, "not a regular file but a character device"},
        {"5 GB sparse file", sparse, 1, "larger than a book can be (at most 64 MiB)"},
    };
    for (const auto& file : files) {
        const std::vector<std::vector<std::string>> commands = {
            {"list", file.path},       {"check", file.path},
            {"show", file.path, "1"},  {"read", "--date", "2026-06-15", file.path},
            {"build", file.path, out},
        };
        for (const auto& args : commands) {
            SCOPED_TRACE(std::string(file.name) + ": " + args[0]);
            const ToolOutcome outcome = Run(args);
            const std::string reason =
                args[0] == "build" ? file.reason.substr(0, file.reason.find(" a book")) : file.reason;
            ExpectRefused(outcome, file.status, file.path + ": " + reason);
            EXPECT_LT(outcome.seconds, kAtOnce);
            EXPECT_FALSE(fs::exists(out));
        }
    }
    // An output that is not a regular file is left as it is, and a FIFO is never opened.
    for (const std::string& target : {folder, fifo, std::string("/dev/null")}) {
        SCOPED_TRACE("build into " + target);
        const ToolOutcome outcome = Run({"build", source, target});
        ExpectRefused(outcome, 2, target + ": ");
        EXPECT_LT(outcome.seconds, kAtOnce);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(BookToolFilesTest, ABookIsWrittenWholeOrNotAtAll)
{
    std::string text;
    for (int k = 0; k <= 365; ++k)
        text += "@@ " + std::to_string(k) + "\nReading " + std::to_string(k) + " of a book of days.\n";
    const std::string source = Put("source.txt", text);
    const std::string old = Book();
    const std::string book = Put("book.pdb", old);

    // A disk that fills up half way: the old book stays, and no new file is left behind.
    ToolRun full{{"build", source, book}};
    full.fileSizeLimit = 4096;
    ExpectRefused(Run(full), 2, book + ": File too large");
    EXPECT_EQ(ReadAll(book), old);
    EXPECT_EQ(Leftovers(m_folder.Path(), "book.pdb").size(), 1u);

    // A book made through a link replaces the book it points to, and keeps the link.
    const std::string link = m_folder.PathOf("link.pdb");
    fs::create_symlink(book, link);
    ::chmod(book.c_str(), 0640);
    const ToolOutcome built = Run({"build", source, link});
    EXPECT_EQ(built.status, 0) << built.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadAll(book), old);
    EXPECT_EQ(ReadAll(book).size(), fs::file_size(book));
    EXPECT_EQ(fs::status(book).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Run({"check", book}).status, 0);
    EXPECT_EQ(Leftovers(m_folder.Path(), "book.pdb").size(), 1u);
}
