// What a new user met on trying solmira-book: each fault is a row, with the message, the
// exit status and what stdout may hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/BookToolFixture.h"
#include "tests/TestFiles.h"

namespace
{

using BookToolFaultsTest = BookToolFixture;

// 5,000 bytes of noise, the same in every run.
std::string Noise()
{
    std::mt19937 random(13);
    std::string bytes(5000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST_F(BookToolFaultsTest, EachFaultIsToldWithItsReason)
{
    // {book}, {noise} and {none} stand for a sound book, the noise and a missing file.
    const std::string book = Put("book.pdb", Book(366, {{0, "Title"}, {1, "A\rB\r\nC\n\rD"}}));
    const std::string noise = Put("noise.pdb", Noise());
    const std::string none = m_folder.PathOf("none.pdb");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;  // a fragment of the first line; empty: stderr stays empty
        std::string out;  // stdout exactly; "..." as its last three bytes: stdout begins so
        bool terminal = false;
    } cases[] = {
        {"read noise", {"read", "--date", "2026-12-06", "{noise}"}, 1, "{noise}: not a sound book: ", ""},
        {"show noise", {"show", "{noise}", "0"}, 1, "{noise}: record 0 starts past the end of the file", ""},
        {"list noise", {"list", "{noise}"}, 1, "{noise}: the file ends inside its header (5000 bytes", ""},
        {"read missing", {"read", "{none}"}, 2, "{none}: No such file or directory", ""},
        {"show missing", {"show", "{none}", "1"}, 2, "{none}: No such file or directory", ""},
        {"list missing", {"list", "{none}"}, 2, "{none}: No such file or directory", ""},
        {"check missing", {"check", "{none}"}, 2, "{none}: No such file or directory", ""},
        {"build missing", {"build", "{none}", "{book}"}, 2, "{none}: No such file or directory", ""},
        {"check below a file", {"check", "{book}/x.pdb"}, 2, "{book}/x.pdb: Not a directory", ""},
        {"show past the last",
         {"show", "{book}", "999"},
         1,
         "{book}: no record 999: the book has records 0 to 365",
         ""},
        {"show negative", {"show", "{book}", "-1"}, 1, "{book}: no record -1", ""},
        {"--help", {"--help"}, 0, "", "usage: solmira-book read [--date YYYY-MM-DD] [--width N] [BOOK]\n..."},
        {"-h", {"show", "-h"}, 0, "", "usage: solmira-book read...", false},
        {"--version", {"--version"}, 0, "", "solmira-book " SOLMIRA_VERSION "\n"},
        {"unknown option", {"read", "--day", "2026-01-01"}, 2, "unknown option --day", ""},
        {"29 February of a common year", {"read", "--date", "2023-02-29"}, 2, "2023 has no 29 February", ""},
        {"29 February of 2100", {"read", "--date", "2100-02-29"}, 2, "2100 has no 29 February", ""},
        {"31 April", {"read", "--date=2026-04-31"}, 2, "--date 2026-04-31: there is no 31 April", ""},
        {"month 13", {"read", "--date", "2026-13-01"}, 2, "month 13 does not exist", ""},
        {"day 0", {"read", "--date", "2026-01-00"}, 2, "day 0 does not exist", ""},
        {"year 1500", {"read", "--date", "1500-01-01"}, 2, "the year must be from 1601 to 9999", ""},
        {"not a date", {"read", "--date", "tomorrow"}, 2, "a date is written as YYYY-MM-DD", ""},
        // The text box takes "\r\r\n", "\r\n", "\n" and a lone "\r" each as one line end.
        {"lone carriage return", {"read", "--date", "2026-01-01", "{book}"}, 0, "", "Verse 1:\n\nA\nB\nC\n\nD\n"},
        {"show on a terminal", {"show", "{book}", "0"}, 0, "", "Title\n", true},
        {"show piped", {"show", "{book}", "0"}, 0, "", "Title"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run;
        for (const std::string& arg : c.args)
            run.args.push_back(Replaced(Replaced(Replaced(arg, "{book}", book), "{noise}", noise), "{none}", none));
        run.terminal = c.terminal;
        const ToolOutcome outcome = Run(run);
        const std::string err = Replaced(Replaced(Replaced(c.err, "{book}", book), "{noise}", noise), "{none}", none);
        if (c.status != 0) {
            ExpectRefused(outcome, c.status, err);
            continue;
        }
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, "");
        if (c.out.size() > 3 && c.out.compare(c.out.size() - 3, 3, "...") == 0)
            EXPECT_EQ(outcome.out.rfind(c.out.substr(0, c.out.size() - 3), 0), 0u) << outcome.out;
        else
            EXPECT_EQ(outcome.out, c.out);
    }
}

// A bad command line is refused with the reason and the usage on stderr, nothing on stdout.
TEST_F(BookToolFaultsTest, BadCommandLinesAreRefusedWithTheUsage)
{
    const std::string book = Put("book.pdb", Book());
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{}, "no command"},
        {{"frobnicate", book}, "unknown command frobnicate"},
        {{"show"}, "show needs more arguments"},
        {{"show", book, "1", "2"}, "show takes fewer arguments"},
        {{"read", book, book}, "read takes fewer arguments"},
        {{"build", book}, "build needs more arguments"},
        {{"list"}, "list needs more arguments"},
        {{"check", "--date", "2026-01-01", book}, "--date is an option of read alone"},
        {{"read", "--date"}, "--date needs a value"},
        {{"read", "-x", book}, "unknown option -x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const ToolOutcome refused = Run(c.args);
        ExpectRefused(refused, 2, c.reason);
        EXPECT_NE(refused.err.find("\nusage: solmira-book read"), std::string::npos) << refused.err;
    }
}

// The first twenty problems are told, then how many more: noise is not 57,929 lines.
TEST_F(BookToolFaultsTest, CheckTellsTheFirstTwentyProblems)
{
    const std::string noise = Put("noise.pdb", Noise());
    const ToolOutcome checked = Run({"check", noise});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.err, "");
    EXPECT_EQ(std::count(checked.out.begin(), checked.out.end(), '\n'), 21) << checked.out;
    EXPECT_EQ(checked.out.find(noise + ": the file ends inside its header (5000 bytes)\n"), 0u) << checked.out;
    EXPECT_NE(checked.out.find(" more problems\n"), std::string::npos) << checked.out;
}

// Sizes are what the reader takes: never negative, never past the file's end.
TEST_F(BookToolFaultsTest, ListGivesTheSizesTheReaderTakes)
{
    const std::string sound = Book(4);
    const std::uint32_t length = static_cast<std::uint32_t>(sound.size()), at1 = OffsetOf(sound, 1);
    // Record 1 ends before it starts; record 2 runs past the end; record 3 starts there.
    const std::string book = Patched(Patched(sound, EntryAt(2), at1 - 1), EntryAt(3), length + 9);
    const ToolOutcome listed = Run({"list", Put("book.pdb", book)});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "records: 4\nfile length: " + std::to_string(length) + "\nindex offset size\n0 " +
                              std::to_string(OffsetOf(sound, 0)) + " 18\n1 " + std::to_string(at1) + " 0\n2 " +
                              std::to_string(at1 - 1) + " " + std::to_string(length - at1 + 1) + "\n3 " +
                              std::to_string(length + 9) + " 0\n");
}
