// Without a path, read and show take the book the program itself would read for this
// user: $SOLMIRA_BOOK, then the user's own book over a folder not theirs, then the
// program's book, beside the tool in a build and in ../lib/solmira in an install.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/BookToolFixture.h"

namespace
{

namespace fs = std::filesystem;

using BookToolLookupTest = BookToolFixture;

enum class Layout { Build, Install };

std::string BookReading(const std::string& whose)
{
    return Book(366, {{2, whose + " reading"}});
}

}  // namespace

TEST_F(BookToolLookupTest, ReadAndShowFindTheBookTheProgramReads)
{
    const struct {
        const char* name;
        Layout layout;
        bool programBook, userBook, folderIsTheUsers;
        const char* solmiraBook;        // nullptr: unset; "other" or "none" below the test's folder
        std::vector<std::string> path;  // a BOOK argument
        std::string expected;           // whose reading, or the path a refusal names
    } cases[] = {
        {"build folder", Layout::Build, true, false, true, nullptr, {}, "Program"},
        {"build folder, the user's own book unused", Layout::Build, true, true, true, nullptr, {}, "Program"},
        {"install", Layout::Install, true, false, true, nullptr, {}, "Program"},
        {"install not the user's", Layout::Install, true, false, false, nullptr, {}, "Program"},
        {"install not the user's, with their own book", Layout::Install, true, true, false, nullptr, {}, "User"},
        {"SOLMIRA_BOOK first", Layout::Install, true, true, false, "other.pdb", {}, "Other"},
        {"BOOK before SOLMIRA_BOOK", Layout::Build, true, false, true, "none.pdb", {"other.pdb"}, "Other"},
        {"SOLMIRA_BOOK missing", Layout::Build, true, false, true, "none.pdb", {}, "none.pdb"},
        {"no book in the install", Layout::Install, false, false, true, nullptr, {}, "lib/solmira/solmiraverse.pdb"},
        {"no book in the build folder", Layout::Build, false, false, true, nullptr, {}, "bin/solmiraverse.pdb"},
    };
    const std::string root = m_folder.Path();
    // An ordinary user must pass through the test's folders, as through a real install.
    fs::permissions(root, fs::perms::all);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* folder : {"bin", "lib", "data"})
            fs::remove_all(m_folder.PathOf(folder));
        const std::string bin = m_folder.PathOf("bin");
        const std::string program = c.layout == Layout::Build ? bin : m_folder.PathOf("lib/solmira");
        fs::create_directories(bin);
        fs::create_directories(program);
        fs::copy_file(SOLMIRA_BOOK_TOOL, bin + "/solmira-book");
        Put(c.layout == Layout::Build ? "bin/solmira" : "lib/solmira/solmira", "#!/bin/sh\n");
        fs::permissions(program + "/solmira", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        // Every install puts the command solmira beside the tool: a link to the program.
        if (c.layout == Layout::Install)
            fs::create_symlink("../lib/solmira/solmira", bin + "/solmira");
        if (c.programBook)
            Put(fs::relative(program, root).string() + "/solmiraverse.pdb", BookReading("Program"));
        fs::create_directories(m_folder.PathOf("data/solmira"));
        if (c.userBook)
            Put("data/solmira/solmiraverse.pdb", BookReading("User"));
        Put("other.pdb", BookReading("Other"));
        for (const auto& entry : fs::recursive_directory_iterator(root))
            fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
        if (!c.folderIsTheUsers)
            fs::permissions(program, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);

        for (const char* command : {"read", "show"}) {
            ToolRun run;
            run.tool = bin + "/solmira-book";
            run.args = command == std::string("read") ? std::vector<std::string>{"read", "--date", "2026-01-02"}
                                                      : std::vector<std::string>{"show"};
            for (const std::string& path : c.path)
                run.args.push_back(m_folder.PathOf(path));
            if (command == std::string("show"))
                run.args.push_back("2");
            run.environment["XDG_DATA_HOME"] = m_folder.PathOf("data");
            if (c.solmiraBook != nullptr)
                run.environment["SOLMIRA_BOOK"] = m_folder.PathOf(c.solmiraBook);
            // As root every folder is writable: the folder that is not the user's is seen
            // by an ordinary user.
            run.asOrdinaryUser = !c.folderIsTheUsers;
            const ToolOutcome outcome = Run(run);
            if (c.expected.find('.') != std::string::npos) {
                ExpectRefused(outcome, 2, m_folder.PathOf(c.expected) + ": No such file or directory");
                continue;
            }
            EXPECT_EQ(outcome.status, 0) << command << ": " << outcome.err;
            EXPECT_EQ(outcome.out, (command == std::string("read") ? "Verse 2:\n\n" : "") + c.expected + " reading" +
                                       (command == std::string("read") ? "\n" : ""))
                << command;
        }
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
    }
}

// With no date and no book, read gives today's reading: here a day fixed by faketime.
TEST_F(BookToolLookupTest, ReadWithoutArgumentsGivesTodaysReading)
{
    const std::vector<std::string> fakeClock = FakeClockCommand("2026-03-01 12:00:00");
    if (fakeClock.empty())
        GTEST_SKIP() << "faketime is not installed";
    const std::string bin = m_folder.PathOf("bin");
    fs::create_directories(bin);
    fs::copy_file(SOLMIRA_BOOK_TOOL, bin + "/solmira-book");
    Put("bin/solmira", "");
    fs::permissions(bin + "/solmira", fs::perms::owner_all);
    Put("bin/solmiraverse.pdb", Book());
    ToolRun run;
    run.tool = bin + "/solmira-book";
    run.args = {"read"};
    run.wrapper = fakeClock;
    // faketime comes in before the sanitizer's runtime; that is harmless here.
    run.environment["ASAN_OPTIONS"] = "verify_asan_link_order=0";
    const ToolOutcome outcome = Run(run);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Verse 60:\n\nReading 60\nline two\n");
}
