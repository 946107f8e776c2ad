// solmira-book as a user runs it: building, showing, reading and checking books, and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/BookToolFixture.h"
#include "tests/TestFiles.h"

namespace
{

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

using BookToolTest = BookToolFixture;

}  // namespace

TEST_F(BookToolTest, BuildKeepsTheTextThatShowGivesBack)
{
    std::map<int, std::string> texts = {{0, "Solmira\nA book of days"},
                                        {1, "“Quoted,” it’s said — and done."},
                                        {2, "Café à 5 €, naïve ß\nsecond line"},
                                        {3, "first\nsecond"},
                                        {365, "The last reading."}};
    std::string source = "Notes come first; ā and \xFF are fine here.\n";
    for (int k = 0; k <= 365; ++k) {
        if (!texts.count(k))
            texts[k] = "Reading " + std::to_string(k);
        const std::string record = "@@ " + std::to_string(k) + "\n\n \t\n" + texts[k] + "\n\n";
        source += k == 3 ? ReplaceAll(record, "\n", "\r\n") : record;  // as saved on Windows
    }
    const std::string book = m_folder.PathOf("book.pdb");
    const ToolOutcome built = Run({"build", Put("book.txt", source), book});
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err, "");
    for (int k : {0, 1, 2, 3, 4, 365}) {
        SCOPED_TRACE("record " + std::to_string(k));
        const ToolOutcome shown = Run({"show", book, std::to_string(k)});
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.out, ReplaceAll(texts[k], "\n", "\r\n"));
        EXPECT_EQ(shown.err, "");
    }
    const ToolOutcome checked = Run({"check", book});
    EXPECT_EQ(checked.status, 0);
    EXPECT_NE(checked.out.find(": ok"), std::string::npos) << checked.out;
}

TEST_F(BookToolTest, BuildRejectsFaultySourcesNamingTheLine)
{
    const struct {
        const char* name;
        std::optional<std::string> source;  // none: no source file
        int status;
        int line;  // 0: the message names no line
        const char* out = "out.pdb";
    } cases[] = {
        {"marker skips a number", "@@ 0\nT\n@@ 2\n", 1, 3},
        {"first marker is not 0", "note\n@@ 1\nA\n", 1, 2},
        {"marker repeated", "@@ 0\nT\n@@ 0\n", 1, 3},
        {"marker without a number", "@@ 0\nT\n@@\n", 1, 3},
        {"character outside Windows-1252", "@@ 0\nT\n@@ 1\n\xC4\x81\n", 1, 4},
        {"emoji", "@@ 0\nT\n\nsmile \xF0\x9F\x98\x80\n", 1, 4},
        {"cut UTF-8 sequence", "@@ 0\nT\xC3\n", 1, 2},
        {"lone continuation byte", "@@ 0\nT\n\x80\n", 1, 3},
        {"overlong encoding", "@@ 0\n\xC0\xAF\n", 1, 2},
        {"CR LF source, bad character", "@@ 0\r\nT\r\n\xE2\x82\xAD\r\n", 1, 3},
        {"no markers at all", "only notes\n", 1, 0},
        {"missing source", std::nullopt, 2, 0},
        {"output folder missing", "@@ 0\nT\n", 2, 0, "no/out.pdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = c.source ? Put("source.txt", *c.source) : m_folder.PathOf("none.txt");
        const std::string out = m_folder.PathOf(c.out);
        const ToolOutcome built = Run({"build", source, out});
        ExpectRefused(built, c.status);
        if (c.line > 0) {
            EXPECT_NE(built.err.find(source + ":" + std::to_string(c.line) + ": "), std::string::npos) << built.err;
        }
        EXPECT_FALSE(std::filesystem::exists(out));
        m_folder.Remove("source.txt");
    }
}

TEST_F(BookToolTest, ShowWritesTheRecordTextExactly)
{
    const std::string book = BuildPalmDatabase("T", {"", "A\r\nB\n", "\x80\x81\x92\xE9"});
    // Cut short inside its record list, claiming every record a book can have.
    const std::string damaged = Patched(Patched(Book(), EntryAt(3), 0xFFFFFFFF), 76, 0xFFFF, 2).substr(0, 2000);
    const struct {
        const char* name;
        std::optional<std::string> book;  // none: no book file
        std::string index;
        int status;
        std::string out;  // what stdout holds, or what the refusal says
    } cases[] = {
        {"CR LF gains a CR", book, "1", 0, "A\r\r\nB\r\n"},
        {"code page to UTF-8", book, "2", 0, "\xE2\x82\xAC\xC2\x81\xE2\x80\x99\xC3\xA9"},
        {"empty record of a sound place", book, "0", 0, ""},
        {"index past the last", book, "3", 1, "no record 3: the book has records 0 to 2"},
        {"index beyond int", book, "99999999999", 1, "no record 99999999999"},
        {"damaged book, cut short", damaged, "1", 1, "record 1 starts past the end of the file"},
        {"damaged book, offset 0xFFFFFFFF", damaged, "3", 1, "record 3 starts past the end of the file"},
        {"a record that starts in the name", Patched(Book(), EntryAt(5), 1), "5", 0, "est"},
        {"ten-byte file", std::string(10, 'x'), "0", 1, "too short to be a book (10 bytes)"},
        {"index not a number", book, "one", 2, "INDEX must be a record number"},
        {"index with trailing junk", book, "1x", 2, "INDEX"},
        {"missing book", std::nullopt, "1", 2, "none.pdb: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.book ? Put("book.pdb", *c.book) : m_folder.PathOf("none.pdb");
        const ToolOutcome shown = Run({"show", path, c.index});
        if (c.status != 0) {
            ExpectRefused(shown, c.status, c.out);
            continue;
        }
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.out, c.out);
        EXPECT_EQ(shown.err, "");
    }
}

// The verse of a date follows the program's leap-year rule; impossible dates are refused
// with their reasons among the faults.
TEST_F(BookToolTest, ReadShowsTheVerseOfTheDate)
{
    const std::string book = Put("book.pdb", Book());
    const struct {
        const char* date;
        int verse;
    } cases[] = {
        {"2008-02-29", 1}, {"2000-02-29", 60},  {"2400-02-29", 60},  {"2000-03-01", 60},  {"2008-03-01", 60},
        {"2026-01-01", 1}, {"2024-06-15", 166}, {"2026-12-31", 365}, {"2008-12-31", 365},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const std::string n = std::to_string(c.verse);
        EXPECT_EQ(Run({"read", "--date", c.date, book}).out, "Verse " + n + ":\n\nReading " + n + "\nline two\n");
    }
}

TEST_F(BookToolTest, CheckReportsEachProblemOnALine)
{
    const std::string book = Book();
    const auto length = static_cast<std::uint32_t>(book.size());
    const std::uint32_t at10 = static_cast<std::uint32_t>(book.find("Reading 10\n"));
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> problems;  // a fragment of each line, in order; none: sound
    } cases[] = {
        {"sound book", book, {}},
        {"more records than readings", Book(400), {}},
        {"empty title and extra record", Book(367, {{0, ""}, {366, ""}}), {}},
        {"too few records", Book(365), {"365 records"}},
        {"zero offset", Patched(book, EntryAt(7), 0), {"record 6 ", "record 7 "}},
        {"decreasing offsets", Patched(book, EntryAt(11), at10 - 1), {"record 10 "}},
        {"offset past the end", Patched(book, EntryAt(5), length + 1), {"record 5 "}},
        {"last offset past the end", Patched(book, EntryAt(365), length + 1), {"record 365 "}},
        {"empty reading", Book(366, {{100, ""}}), {"record 100 "}},
        {"reading that starts with a zero byte", Book(366, {{200, std::string("\0x", 2)}}), {"record 200 "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolOutcome checked = Run({"check", Put("book.pdb", c.bytes)});
        EXPECT_EQ(checked.status, c.problems.empty() ? 0 : 1);
        EXPECT_EQ(std::count(checked.out.begin(), checked.out.end(), '\n'), std::max<long>(c.problems.size(), 1))
            << checked.out;
        if (c.problems.empty()) {
            EXPECT_NE(checked.out.find(": ok"), std::string::npos) << checked.out;
        }
        std::size_t at = 0;  // the problems come in record order
        for (const std::string& problem : c.problems) {
            at = checked.out.find(problem, at);
            ASSERT_NE(at, std::string::npos) << problem << " in\n" << checked.out;
        }
    }
}
