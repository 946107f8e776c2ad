// What comes with solmira-book for the shell: its bash completion and its manual page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "platform/core/Command.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

const std::string kCompletion = SOLMIRA_SOURCE_DIR "/data/bash-completion/solmira-book";
const std::string kManual = SOLMIRA_SOURCE_DIR "/data/man/solmira-book.1";

}  // namespace

TEST(BookToolShellTest, CompletionOffersCommandsOptionsAndFilesOfTheirKind)
{
    ProgramFolder folder;
    for (const char* name : {"a.pdb", "b.txt", "c.dat", "two words.pdb"})
        folder.Write(name, "");
    fs::create_directory(folder.PathOf("sub"));
    const struct {
        const char* line;  // the words before the one being completed
        const char* word;
        const char* replies;  // sorted, one a line
    } cases[] = {
        {"solmira-book", "", "build\ncheck\nlist\nread\nshow\n"},
        {"solmira-book", "r", "read\n"},
        {"solmira-book read", "--", "--date\n--help\n--version\n--width\n"},
        {"solmira-book show", "--", "--help\n--version\n"},
        {"solmira-book read", "", "a.pdb\nsub\ntwo words.pdb\n"},
        {"solmira-book --date 2026-01-01 read", "", "a.pdb\nsub\ntwo words.pdb\n"},
        {"solmira-book read --date", "", ""},
        {"solmira-book read --width", "", ""},
        {"solmira-book check", "t", "two words.pdb\n"},
        {"solmira-book show a.pdb", "", ""},
        {"solmira-book build", "", "b.txt\nsub\n"},
        {"solmira-book build b.txt", "", "a.pdb\nsub\ntwo words.pdb\n"},
        {"solmira-book build b.txt out.pdb", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " '" + c.word + "'");
        const CommandResult result = RunCommand(
            {"bash", "-c",
             "cd \"$1\" && source \"$2\" && read -ra words <<<\"$3\" && COMP_WORDS=(\"${words[@]}\" \"$4\") && "
             "COMP_CWORD=${#words[@]} && _solmira_book && "
             "{ [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort; }",
             "bash", folder.Path(), kCompletion, c.line, c.word});
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output, c.replies);
    }
}

TEST(BookToolShellTest, TheManualPageIsCleanAndTellsTheLookupOrder)
{
    if (!CommandExists("groff") || !CommandExists("man"))
        GTEST_SKIP() << "groff or man is not installed";
    const CommandResult lint = RunCommand({"groff", "-ww", "-man", "-Tutf8", "-z", kManual});
    EXPECT_EQ(lint.status, 0);
    EXPECT_EQ(lint.output, "");
    const CommandResult page = RunCommand({"env", "MANWIDTH=80", "MAN_KEEP_FORMATTING=", "man", "-l", kManual});
    ASSERT_EQ(page.status, 0) << page.output;
    for (const char* part :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "THE BOOK", "SOURCE", "ENVIRONMENT", "EXIT STATUS", "EXAMPLES",
          "SEE ALSO", "SOLMIRA_BOOK", "XDG_DATA_HOME", "solmira(1)", "fortune(6)", "MiB", "bash_profile"})
        EXPECT_NE(page.output.find(part), std::string::npos) << part;
    std::istringstream lines(page.output);
    for (std::string line; std::getline(lines, line);) {
        // Columns: the characters that do not continue another.
        const auto columns = std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
        EXPECT_LE(columns, 80) << line;
    }
    // The usage tells the same order as the page: SOLMIRA_BOOK, the user's own, the program's.
    const CommandResult help = RunCommand({SOLMIRA_BOOK_TOOL, "--help"});
    const std::size_t named = help.output.find("SOLMIRA_BOOK"), own = help.output.find("XDG_DATA_HOME"),
                      program = help.output.find("../lib/solmira");
    EXPECT_TRUE(named < own && own < program) << help.output;
}
