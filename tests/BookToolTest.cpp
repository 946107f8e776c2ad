// solmira-book as a user runs it: building, showing, reading, listing and checking books,
// each fault told with its reason, files that are no book, and a terminal's width.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/BookToolFixture.h"
#include "tests/TestFiles.h"

namespace
{

namespace fs = std::filesystem;

using BookToolTest = BookToolFixture;

constexpr double kAtOnce = 5;  // seconds: ample under the sanitizers, far below a hang

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// 5,000 bytes of noise, the same in every run.
std::string Noise()
{
    std::mt19937 random(13);
    std::string bytes(5000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

}  // namespace

// Each line of check names a problem; the first twenty are told, then how many more.
TEST_F(BookToolTest, CheckReportsEachProblemOnALine)
{
    const std::string book = Book();
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> problems;  // a fragment of each line, in order; none: sound
        long lines = 0;                     // 0: one for each problem
    } cases[] = {
        {"sound book", book, {": ok"}},
        {"too few records", Book(365), {"365 records"}},
        {"zero offset", Patched(book, 7, 0), {"record 6 ", "record 7 "}},
        {"record inside the record list",
         Patched(book, 5, EntryAt(300)),
         {"record 4 ", "record 5 starts inside the header"}},
        {"empty reading", Book(366, {{100, ""}}), {"record 100 "}},
        {"noise", Noise(), {": the file ends inside its header (5000 bytes)\n", " more problems\n"}, 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolOutcome checked = Run({"check", Put("book.pdb", c.bytes)});
        EXPECT_EQ(checked.status, c.problems[0] == ": ok" ? 0 : 1);
        EXPECT_EQ(checked.err, "");
        EXPECT_EQ(std::count(checked.out.begin(), checked.out.end(), '\n'),
                  c.lines > 0 ? c.lines : static_cast<long>(c.problems.size()))
            << checked.out;
        std::size_t at = 0;  // the problems come in record order
        for (const std::string& problem : c.problems) {
            at = checked.out.find(problem, at);
            ASSERT_NE(at, std::string::npos) << problem << " in\n" << checked.out;
        }
    }
}

// Each row a fault a user met, or a reading: the message, the exit status and what stdout
// holds. A bad command line also shows the usage on stderr.
TEST_F(BookToolTest, EachFaultIsToldWithItsReason)
{
    // The words of a command; {book}, {noise}, {none} and {out} stand for a sound book, the
    // noise, a missing file and an output, {name} for a book whose record 5 starts in its
    // name, and the others for faulty sources.
    const std::map<std::string, std::string> files = {
        {"{book}",
         Put("book.pdb", Book(366, {{0, "Title"}, {1, "A\rB\r\nC\n\rD"}, {2, "\x1B]0;t\x07r\x1B[1mx\x81\tb"}}))},
        {"{noise}", Put("noise.pdb", Noise())},
        {"{none}", m_folder.PathOf("none.pdb")},
        {"{out}", m_folder.PathOf("out.pdb")},
        {"{skips}", Put("skips.txt", "@@ 0\nT\n@@ 2\n")},
        {"{overlong}", Put("overlong.txt", "@@ 0\n\xC0\xAF\n")},
        {"{name}", Put("name.pdb", Patched(Book(), 5, 1))}};
    const auto expand = [&](std::string text) {
        for (const auto& [from, to] : files)
            text = Replaced(text, from, to);
        return text;
    };
    const struct {
        const char* name;
        const char* args;
        int status;
        std::string err;  // a fragment of the first line; empty: stderr stays empty
        std::string out;  // stdout exactly; "..." as its last three bytes: stdout begins so
        bool usage = false;
    } cases[] = {
        {"read noise", "read --date 2026-12-06 {noise}", 1, "{noise}: not a sound book: ", ""},
        {"show noise", "show {noise} 0", 1, "{noise}: record 0 starts past the end of the file", ""},
        {"list noise", "list {noise}", 1, "{noise}: the file ends inside its header (5000 bytes", ""},
        {"read missing", "read {none}", 2, "{none}: No such file or directory", ""},
        {"source marker skips a number", "build {skips} {out}", 1, "{skips}:3: ", ""},
        {"source with an overlong encoding", "build {overlong} {out}", 1, "{overlong}:2: ", ""},
        {"show past the last", "show {book} 999", 1, "{book}: no record 999: the book has records 0 to 365", ""},
        {"show negative", "show {book} -1", 1, "{book}: no record -1", ""},
        {"--help", "--help", 0, "", "usage: solmira-book read [--date YYYY-MM-DD] [--width N] [BOOK]\n..."},
        {"--version", "--version", 0, "", "solmira-book " SOLMIRA_VERSION "\n"},
        {"unknown option", "read --day 2026-01-01", 2, "unknown option --day", "", true},
        {"29 February of 2100", "read --date 2100-02-29", 2, "2100 has no 29 February", ""},
        // The text box takes "\r\r\n", "\r\n", "\n" and a lone "\r" each as one line end.
        {"lone carriage return", "read --date 2026-01-01 {book}", 0, "", "Verse 1:\n\nA\nB\nC\n\nD\n"},
        // A book cannot send the terminal commands.
        {"controls on a terminal", "read --date 2026-01-02 {book}", 0, "",
         "Verse 2:\n\n\xEF\xBF\xBD]0;t\xEF\xBF\xBDr\xEF\xBF\xBD[1mx\xEF\xBF\xBD\tb\n"},
        {"show on a terminal", "show {book} 0", 0, "", "Title\n"},
        {"show piped", "show {book} 0", 0, "", "Title"},
        {"show a record that starts in the name", "show {name} 5", 0, "", "est"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run{Words(expand(c.args))};
        run.terminal = std::string(c.name).find("on a terminal") != std::string::npos;
        const ToolOutcome outcome = Run(run);
        if (c.status != 0) {
            ExpectRefused(outcome, c.status, expand(c.err));
            EXPECT_EQ(outcome.err.find("\nusage: solmira-book read") != std::string::npos, c.usage) << outcome.err;
        } else if (c.out.size() > 3 && c.out.compare(c.out.size() - 3, 3, "...") == 0) {
            EXPECT_EQ(outcome.out.rfind(c.out.substr(0, c.out.size() - 3), 0), 0u) << outcome.out;
        } else {
            ExpectDone(outcome, c.out);
        }
    }
}

// Every command reads its book the same way: read stands for them, build for the source.
TEST_F(BookToolTest, EveryCommandRefusesWhatIsNoBookAtOnce)
{
    const std::string folder = m_folder.PathOf("folder"), fifo = m_folder.PathOf("fifo");
    const std::string sparse = m_folder.PathOf("sparse.pdb"), out = m_folder.PathOf("out.pdb");
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Five gigabytes that take no room: the size of a file that no book can be.
    m_folder.Write("sparse.pdb", "");
    fs::resize_file(sparse, std::uintmax_t{5} << 30);
    const struct {
        std::string path;
        int status;
        std::string reason;
    } files[] = {
        {folder, 2, "Is a directory"},
        {fifo, 2, "not a regular file but a FIFO"},
        {"/dev/zero", 2, "not a regular file but a character device"},
        {sparse, 1, "larger than a book can be (at most 64 MiB)"},
    };
    for (const auto& file : files) {
        for (const auto& args : {std::vector<std::string>{"read", file.path}, {"build", file.path, out}}) {
            SCOPED_TRACE(file.path + ": " + args[0]);
            const ToolOutcome outcome = Run(args);
            ExpectRefused(outcome, file.status,
                          file.path + ": " +
                              (args[0] == "build" ? file.reason.substr(0, file.reason.find(" a book")) : file.reason));
            EXPECT_LT(outcome.seconds, kAtOnce);
            EXPECT_FALSE(fs::exists(out));
        }
    }
    // An output that is not a regular file is left as it is, and a FIFO is never opened.
    for (const std::string& target : {folder, fifo, std::string("/dev/null")}) {
        SCOPED_TRACE("build into " + target);
        const ToolOutcome outcome = Run({"build", Put("source.txt", "@@ 0\nTitle\n"), target});
        ExpectRefused(outcome, 2, target + ": ");
        EXPECT_LT(outcome.seconds, kAtOnce);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(BookToolTest, ABookIsWrittenWholeOrNotAtAll)
{
    std::string text;
    for (int k = 0; k <= 365; ++k)
        text += "@@ " + std::to_string(k) + "\nReading " + std::to_string(k) + " of a book of days.\n";
    const std::string source = Put("source.txt", text), old = Book(), book = Put("book.pdb", old);
    const auto files = [&] { return std::distance(fs::directory_iterator(m_folder.Path()), {}); };

    // A disk that fills up half way: the old book stays, and no new file is left behind.
    ToolRun full{{"build", source, book}};
    full.fileSizeLimit = 4096;
    ExpectRefused(Run(full), 2, book + ": File too large");
    EXPECT_EQ(ReadAll(book), old);
    EXPECT_EQ(files(), 2);

    // A book made through a link replaces the book it points to, and keeps the link.
    const std::string link = m_folder.PathOf("link.pdb");
    fs::create_symlink(book, link);
    ::chmod(book.c_str(), 0640);
    ExpectDone(Run({"build", source, link}), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(book).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ExpectDone(Run({"show", book, "365"}), "Reading 365 of a book of days.");
    EXPECT_EQ(files(), 3);
}

// A reading is wrapped to the terminal's width, at most 80 columns, or to --width; piped
// without --width it is exact. A character of the code page takes one column.
TEST_F(BookToolTest, ReadFitsTheTerminalAndIsExactWhenPiped)
{
    std::string wide;  // 79 columns, then a word past the 80th
    for (int i = 0; i < 16; ++i)
        wide += "abcd ";
    const std::string narrow = "one two\xC3\xA9 three\n\nIncomprehensible";
    const std::string book =
        Put("book.pdb", Book(366, {{1, "one two\xE9 three\n\nIncomprehensible"}, {2, wide + "xyz"}}));
    const struct {
        const char* name;
        bool terminal;
        unsigned short columns;   // the terminal's; 0: it tells none
        const char* environment;  // $COLUMNS
        const char* width;        // --width
        int verse;
        std::string out;
    } cases[] = {
        {"a line that ends at the edge", false, 0, nullptr, "14", 1, narrow},
        {"terminal of 13 columns", true, 13, nullptr, nullptr, 1, "one two\xC3\xA9\nthree\n\nIncomprehensible"},
        {"terminal size from COLUMNS", true, 0, "13", nullptr, 1, "one two\xC3\xA9\nthree\n\nIncomprehensible"},
        {"--width beats the terminal", true, 13, nullptr, "14", 1, narrow},
        {"wide terminal", true, 200, nullptr, nullptr, 2, wide.substr(0, 79) + "\nxyz"},
        {"terminal of unknown size", true, 0, nullptr, nullptr, 2, wide.substr(0, 79) + "\nxyz"},
        {"piped", false, 0, "13", nullptr, 2, wide + "xyz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run{{"read", "--date", "2026-01-0" + std::to_string(c.verse), book}};
        if (c.width != nullptr)
            run.args.insert(run.args.begin() + 1, {"--width", c.width});
        run.terminal = c.terminal;
        run.columns = c.columns;
        if (c.environment != nullptr)
            run.environment["COLUMNS"] = c.environment;
        ExpectDone(Run(run), "Verse " + std::to_string(c.verse) + ":\n\n" + c.out + "\n");
    }
}
