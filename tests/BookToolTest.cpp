// solmira-book as a user runs it: building, showing, reading and checking books, and refusals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

extern char** environ;

namespace
{

struct Outcome {
    int status;  // the exit status; -1 when the tool did not exit normally
    std::string out, err;
};

// A refusal: the status, nothing on stdout and a single line on stderr.
void ExpectRefused(const Outcome& outcome, int status)
{
    EXPECT_EQ(outcome.status, status);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(!outcome.err.empty() && outcome.err.find('\n') == outcome.err.size() - 1) << outcome.err;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A book of count records: record k holds "Reading k\nline two" unless texts has one for it.
std::string Book(int count = 366, const std::map<int, std::string>& texts = {})
{
    std::vector<std::string> records;
    for (int k = 0; k < count; ++k)
        records.push_back(texts.count(k) ? texts.at(k) : "Reading " + std::to_string(k) + "\nline two");
    return BuildPalmDatabase("Test", records);
}

class BookToolTest : public ::testing::Test
{
protected:
    // Runs the tool with stdout and stderr going to files, so both come back byte for byte.
    Outcome Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), SOLMIRA_BOOK_TOOL);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string out = m_folder.PathOf("stdout"), err = m_folder.PathOf("stderr");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
            return {-1, "", ""};
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
    }

    std::string Put(const std::string& name, const std::string& bytes) const
    {
        m_folder.Write(name, bytes);
        return m_folder.PathOf(name);
    }

    ProgramFolder m_folder;
};

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
    const Outcome built = Run({"build", Put("book.txt", source), book});
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err, "");
    for (int k : {0, 1, 2, 3, 4, 365}) {
        SCOPED_TRACE("record " + std::to_string(k));
        const Outcome shown = Run({"show", book, std::to_string(k)});
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.out, ReplaceAll(texts[k], "\n", "\r\n"));
        EXPECT_EQ(shown.err, "");
    }
    const Outcome checked = Run({"check", book});
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
        const Outcome built = Run({"build", source, out});
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
    const std::string damaged = Patched(Patched(Book(), EntryAt(3), 0xFFFFFFFF), 76, 0xFFFF, 2).substr(0, 2000);
    const struct {
        const char* name;
        std::optional<std::string> book;  // none: no book file
        std::string index;
        int status;
        std::string out;
    } cases[] = {
        {"CR LF gains a CR", book, "1", 0, "A\r\r\nB\r\n"},
        {"code page to UTF-8", book, "2", 0, "\xE2\x82\xAC\xC2\x81\xE2\x80\x99\xC3\xA9"},
        {"index past the last", book, "3", 0, ""},
        {"negative index", book, "-1", 0, ""},
        {"damaged book", damaged, "1", 0, ""},
        {"damaged book, offset 0xFFFFFFFF", damaged, "3", 0, ""},
        {"ten-byte file", std::string(10, 'x'), "0", 0, ""},
        {"index not a number", book, "one", 2, ""},
        {"index with trailing junk", book, "1x", 2, ""},
        {"index beyond int", book, "99999999999", 2, ""},
        {"missing book", std::nullopt, "1", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.book ? Put("book.pdb", *c.book) : m_folder.PathOf("none.pdb");
        const Outcome shown = Run({"show", path, c.index});
        if (c.status != 0) {
            ExpectRefused(shown, c.status);
            continue;
        }
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.out, c.out);
        EXPECT_EQ(shown.err, "");
    }
}

TEST_F(BookToolTest, ReadShowsTheVerseOfTheDate)
{
    const std::string book = Put("book.pdb", Book());
    const struct {
        const char* date;
        int status;
        int verse;
    } cases[] = {
        {"2008-02-29", 0, 1},   {"2000-02-29", 0, 60},  {"2400-02-29", 0, 60},
        {"2000-03-01", 0, 60},  {"2008-03-01", 0, 60},  {"2026-01-01", 0, 1},
        {"2024-06-15", 0, 166}, {"2026-12-31", 0, 365}, {"2008-12-31", 0, 365},
        {"2007-02-29", 2, 0},   {"2100-02-29", 2, 0},   {"2026-02-30", 2, 0},
        {"2026-04-31", 2, 0},   {"2026-13-01", 2, 0},   {"2026-00-10", 2, 0},
        {"2026-1-1", 2, 0},     {"tomorrow", 2, 0},     {"", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const Outcome read = Run({"read", "--date", c.date, book});
        const std::string n = std::to_string(c.verse);
        if (c.status != 0)
            ExpectRefused(read, c.status);
        else
            EXPECT_EQ(read.out, "Verse " + n + ":\n\nReading " + n + "\nline two\n");
    }
    const Outcome crlf = Run({"read", "--date", "2026-01-01", Put("crlf.pdb", Book(366, {{1, "A\r\nB"}}))});
    EXPECT_EQ(crlf.out, "Verse 1:\n\nA\r\nB\n");
    ExpectRefused(Run({"read", "--date", "2026-01-01", m_folder.PathOf("none.pdb")}), 2);
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
        const Outcome checked = Run({"check", Put("book.pdb", c.bytes)});
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

TEST_F(BookToolTest, BadCommandLinesAreRefused)
{
    const std::string book = Put("book.pdb", Book());
    const std::string none = m_folder.PathOf("none.pdb");
    const std::vector<std::vector<std::string>> cases = {{},
                                                         {"frobnicate", book},
                                                         {"show", book},
                                                         {"read", "--date", "2026-01-01"},
                                                         {"read", "--day", "2026-01-01", book},
                                                         {"build", book},
                                                         {"list", none},
                                                         {"check", none}};
    for (const auto& args : cases) {
        std::string name = "solmira-book";
        for (const std::string& arg : args)
            name += " " + arg;
        SCOPED_TRACE(name);
        ExpectRefused(Run(args), 2);
    }
}
