// What comes with solmira-book for the shell: its bash completion, as bash itself takes it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/core/Command.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

const std::string kCompletion = SOLMIRA_SOURCE_DIR "/data/bash-completion/solmira-book";

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
