// Without a path, read and show take the book the program itself would read for this
// user: $SOLMIRA_BOOK, then the user's own book over a folder not theirs, then the
// program's book, beside the tool in a build and in ../lib/solmira in an install. Without
// a date, read gives today's reading.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/BookToolFixture.h"

namespace fs = std::filesystem;
using BookToolLookupTest = BookToolFixture;

TEST_F(BookToolLookupTest, ReadAndShowFindTheBookTheProgramReads)
{
    const struct {
        const char* name;
        bool install, programBook, userBook, folderIsTheUsers;
        const char* solmiraBook;  // nullptr: unset; "other" or "none" below the test's folder
        const char* path;         // a BOOK argument, or nullptr
        std::string expected;     // whose reading, or the path a refusal names
    } cases[] = {
        {"build folder", false, true, false, true, nullptr, nullptr, "Program"},
        {"build folder, the user's own book unused", false, true, true, true, nullptr, nullptr, "Program"},
        {"install", true, true, false, true, nullptr, nullptr, "Program"},
        {"install not the user's", true, true, false, false, nullptr, nullptr, "Program"},
        {"install not the user's, with their own book", true, true, true, false, nullptr, nullptr, "User"},
        {"SOLMIRA_BOOK first", true, true, true, false, "other.pdb", nullptr, "Other"},
        {"BOOK before SOLMIRA_BOOK", false, true, false, true, "none.pdb", "other.pdb", "Other"},
        {"SOLMIRA_BOOK missing", false, true, false, true, "none.pdb", nullptr, "none.pdb"},
        {"no book in the install", true, false, false, true, nullptr, nullptr, "lib/solmira/solmiraverse.pdb"},
        {"no book in the build folder", false, false, false, true, nullptr, nullptr, "bin/solmiraverse.pdb"},
    };
    // The day of the reading: fixed by faketime where it is installed, else given.
    const std::vector<std::string> fakeClock = FakeClockCommand("2026-01-02 12:00:00");
    const std::string root = m_folder.Path(), bin = m_folder.PathOf("bin");
    // An ordinary user must pass through the test's folders, as through a real install.
    fs::permissions(root, fs::perms::all);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* folder : {"bin", "lib", ".local"})
            fs::remove_all(m_folder.PathOf(folder));
        const std::string program = c.install ? m_folder.PathOf("lib/solmira") : bin;
        fs::create_directories(bin);
        fs::create_directories(program);
        fs::copy_file(SOLMIRA_BOOK_TOOL, bin + "/solmira-book");
        Put(fs::relative(program, root).string() + "/solmira", "#!/bin/sh\n");
        // Every install puts the command solmira beside the tool: a link to the program.
        if (c.install)
            fs::create_symlink("../lib/solmira/solmira", bin + "/solmira");
        const auto book = [](const std::string& whose) { return Book(366, {{2, whose + " reading"}}); };
        if (c.programBook)
            Put(fs::relative(program, root).string() + "/solmiraverse.pdb", book("Program"));
        fs::create_directories(m_folder.PathOf(".local/share/solmira"));
        if (c.userBook)
            Put(".local/share/solmira/solmiraverse.pdb", book("User"));
        Put("other.pdb", book("Other"));
        for (const auto& entry : fs::recursive_directory_iterator(root))
            fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
        // As root every folder is writable: the folder that is not the user's is seen by nobody.
        if (!c.folderIsTheUsers)
            fs::permissions(program, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);

        for (const bool read : {true, false}) {
            ToolRun run{{read ? "read" : "show"}};
            run.tool = bin + "/solmira-book";
            run.wrapper = fakeClock;
            // faketime comes in before the sanitizer's runtime; that is harmless here.
            run.environment["ASAN_OPTIONS"] = "verify_asan_link_order=0";
            if (read && fakeClock.empty())
                run.args.insert(run.args.end(), {"--date", "2026-01-02"});
            if (c.path != nullptr)
                run.args.push_back(m_folder.PathOf(c.path));
            if (!read)
                run.args.push_back("2");
            if (c.solmiraBook != nullptr)
                run.environment["SOLMIRA_BOOK"] = m_folder.PathOf(c.solmiraBook);
            run.asOrdinaryUser = !c.folderIsTheUsers;
            const ToolOutcome outcome = Run(run);
            if (c.expected.find('.') != std::string::npos)
                ExpectRefused(outcome, 2, m_folder.PathOf(c.expected) + ": No such file or directory");
            else
                ExpectDone(outcome, (read ? "Verse 2:\n\n" : "") + c.expected + " reading" + (read ? "\n" : ""));
        }
    }
}
