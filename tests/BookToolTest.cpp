// solmira-book as a user runs it: building, showing, reading, listing and checking books,
// each fault told with its reason, files that are no book, a terminal's width, and the
// bash completion.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/Command.h"
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

std::vector<std::string> Split(const std::string& text, bool words)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; words ? static_cast<bool>(in >> part) : static_cast<bool>(std::getline(in, part));)
        parts.push_back(part);
    return parts;
}

}  // namespace

TEST_F(BookToolTest, BuildKeepsTheTextThatShowGivesBack)
{
    std::map<int, std::string> texts = {
        {1, "“Quoted,” it’s said — and done."}, {2, "Café à 5 €, naïve ß\nsecond line"}, {3, "first\nsecond"}};
    std::string source = "Notes come first; ā and \xFF are fine here.\n";
    for (int k = 0; k <= 365; ++k) {
        texts.emplace(k, "Reading " + std::to_string(k));
        const std::string record = "@@ " + std::to_string(k) + "\n\n \t\n" + texts[k] + "\n\n";
        source += k == 3 ? Replaced(record, "\n", "\r\n") : record;  // as saved on Windows
    }
    const std::string book = m_folder.PathOf("book.pdb");
    ExpectDone(Run({"build", Put("book.txt", source), book}), "");
    for (int k : {1, 2, 3, 365}) {
        SCOPED_TRACE("record " + std::to_string(k));
        ExpectDone(Run({"show", book, std::to_string(k)}), Replaced(texts[k], "\n", "\r\n"));
    }
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
        {"marker without a number", "@@ 0\nT\n@@\n", 1, 3},
        {"character outside Windows-1252", "@@ 0\nT\n@@ 1\n\xC4\x81\n", 1, 4},
        {"cut UTF-8 sequence", "@@ 0\nT\xC3\n", 1, 2},
        {"lone continuation byte", "@@ 0\nT\n\x80\n", 1, 3},
        {"overlong encoding", "@@ 0\n\xC0\xAF\n", 1, 2},
        {"no markers at all", "only notes\n", 1, 0},
        {"missing source", std::nullopt, 2, 0},
        {"output folder missing", "@@ 0\nT\n", 2, 0, "no/out.pdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = c.source ? Put("source.txt", *c.source) : m_folder.PathOf("none.txt");
        const std::string out = m_folder.PathOf(c.out);
        const ToolOutcome built = Run({"build", source, out});
        ExpectRefused(built, c.status, c.line > 0 ? source + ":" + std::to_string(c.line) + ": " : "");
        EXPECT_FALSE(std::filesystem::exists(out));
        m_folder.Remove("source.txt");
    }
}

// Each line of check names a problem; the first twenty are told, then how many more.
TEST_F(BookToolTest, CheckReportsEachProblemOnALine)
{
    const std::string book = Book();
    const auto length = static_cast<std::uint32_t>(book.size());
    const std::uint32_t at10 = static_cast<std::uint32_t>(book.find("Reading 10\n"));
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> problems;  // a fragment of each line, in order; none: sound
        long lines = 0;                     // 0: one for each problem
    } cases[] = {
        {"sound book", book, {": ok"}},
        {"empty title and extra record", Book(367, {{0, ""}, {366, ""}}), {": ok"}},
        {"too few records", Book(365), {"365 records"}},
        {"zero offset", Patched(book, 7, 0), {"record 6 ", "record 7 "}},
        {"decreasing offsets", Patched(book, 11, at10 - 1), {"record 10 "}},
        {"offset past the end", Patched(book, 5, length + 1), {"record 5 "}},
        {"last offset past the end", Patched(book, 365, length + 1), {"record 365 "}},
        {"record inside the record list",
         Patched(book, 5, EntryAt(300)),
         {"record 4 ", "record 5 starts inside the header"}},
        {"empty reading", Book(366, {{100, ""}}), {"record 100 "}},
        {"reading that starts with a zero byte", Book(366, {{200, std::string("\0x", 2)}}), {"record 200 "}},
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
    // The words of a command; {book}, {noise}, {ten} and {none} stand for a sound book, the
    // noise, ten bytes and a missing file, and {name} for a book whose record 5 starts in its name.
    const std::map<std::string, std::string> files = {
        {"{book}", Put("book.pdb", Book(366, {{0, "Title"},
                                              {1, "A\rB\r\nC\n\rD"},
                                              {2, "\x1B]0;t\x07r\x1B[1mx\x81\tb"},
                                              {3, "\x80\x81\x92\xE9"},
                                              {4, "A\r\nB\n"}}))},
        {"{noise}", Put("noise.pdb", Noise())},
        {"{ten}", Put("ten.pdb", std::string(10, 'x'))},
        {"{none}", m_folder.PathOf("none.pdb")},
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
        {"show ten bytes", "show {ten} 0", 1, "too short to be a book (10 bytes)", ""},
        {"read missing", "read {none}", 2, "{none}: No such file or directory", ""},
        {"build missing", "build {none} {book}", 2, "{none}: No such file or directory", ""},
        {"show past the last", "show {book} 999", 1, "{book}: no record 999: the book has records 0 to 365", ""},
        {"show beyond int", "show {book} 99999999999", 1, "{book}: no record 99999999999", ""},
        {"show negative", "show {book} -1", 1, "{book}: no record -1", ""},
        {"index not a number", "show {book} 1x", 2, "INDEX must be a record number", ""},
        {"--help", "--help", 0, "", "usage: solmira-book read [--date YYYY-MM-DD] [--width N] [BOOK]\n..."},
        {"--version", "--version", 0, "", "solmira-book " SOLMIRA_VERSION "\n"},
        {"no command", "", 2, "no command", "", true},
        {"unknown command", "frobnicate {book}", 2, "unknown command frobnicate", "", true},
        {"too few operands", "show", 2, "show needs more arguments", "", true},
        {"too many operands", "show {book} 1 2", 2, "show takes fewer arguments", "", true},
        {"option of read alone", "check --date 2026-01-01 {book}", 2, "--date is an option of read", "", true},
        {"option without its value", "read --date", 2, "--date needs a value", "", true},
        {"unknown option", "read --day 2026-01-01", 2, "unknown option --day", "", true},
        {"29 February of 2100", "read --date 2100-02-29", 2, "2100 has no 29 February", ""},
        {"31 April", "read --date=2026-04-31", 2, "--date 2026-04-31: there is no 31 April", ""},
        {"month 13", "read --date 2026-13-01", 2, "month 13 does not exist", ""},
        {"day 0", "read --date 2026-01-00", 2, "day 0 does not exist", ""},
        {"year 1500", "read --date 1500-01-01", 2, "the year must be from 1601 to 9999", ""},
        {"not a date", "read --date tomorrow", 2, "a date is written as YYYY-MM-DD", ""},
        // 29 February of 2000 is read as 1 March, as the program reads it.
        {"a leap day", "read --date 2000-02-29 {book}", 0, "", "Verse 60:\n\nReading 60\nline two\n"},
        // The text box takes "\r\r\n", "\r\n", "\n" and a lone "\r" each as one line end.
        {"lone carriage return", "read --date 2026-01-01 {book}", 0, "", "Verse 1:\n\nA\nB\nC\n\nD\n"},
        // A book cannot send the terminal commands; piped, its bytes pass as they are.
        {"controls on a terminal", "read --date 2026-01-02 {book}", 0, "",
         "Verse 2:\n\n\xEF\xBF\xBD]0;t\xEF\xBF\xBDr\xEF\xBF\xBD[1mx\xEF\xBF\xBD\tb\n"},
        {"controls piped", "read --date 2026-01-02 {book}", 0, "", "Verse 2:\n\n\x1B]0;t\x07r\x1B[1mx\xC2\x81\tb\n"},
        {"show the code page as UTF-8", "show {book} 3", 0, "", "\xE2\x82\xAC\xC2\x81\xE2\x80\x99\xC3\xA9"},
        {"show: CR LF gains a CR", "show {book} 4", 0, "", "A\r\r\nB\r\n"},
        {"show on a terminal", "show {book} 0", 0, "", "Title\n"},
        {"show piped", "show {book} 0", 0, "", "Title"},
        {"show a record that starts in the name", "show {name} 5", 0, "", "est"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run{Split(expand(c.args), true)};
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

// Sizes are what the reader takes: never negative, never past the file's end.
TEST_F(BookToolTest, ListGivesTheSizesTheReaderTakes)
{
    const std::string sound = Book(4);
    const std::uint32_t length = static_cast<std::uint32_t>(sound.size());
    const std::uint32_t at0 = ReadPalmLayout(sound).records[0].offset, at1 = at0 + 18;
    // Record 1 ends before it starts; record 2 runs past the end; record 3 starts there.
    const std::string book = Patched(Patched(sound, 2, at1 - 1), 3, length + 9);
    ExpectDone(Run({"list", Put("book.pdb", book)}),
               "records: 4\nfile length: " + std::to_string(length) + "\nindex offset size\n0 " + std::to_string(at0) +
                   " 18\n1 " + std::to_string(at1) + " 0\n2 " + std::to_string(at1 - 1) + " " +
                   std::to_string(length - at1 + 1) + "\n3 " + std::to_string(length + 9) + " 0\n");
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
        {"one column short", false, 0, nullptr, "13", 1, "one two\xC3\xA9\nthree\n\nIncomprehensible"},
        {"terminal of 13 columns", true, 13, nullptr, nullptr, 1, "one two\xC3\xA9\nthree\n\nIncomprehensible"},
        {"terminal size from COLUMNS", true, 0, "13", nullptr, 1, "one two\xC3\xA9\nthree\n\nIncomprehensible"},
        {"--width beats the terminal", true, 13, nullptr, "14", 1, narrow},
        {"wide terminal", true, 200, nullptr, nullptr, 2, wide.substr(0, 79) + "\nxyz"},
        {"terminal of unknown size", true, 0, nullptr, nullptr, 2, wide.substr(0, 79) + "\nxyz"},
        {"terminal with junk in COLUMNS", true, 0, "wide", nullptr, 2, wide.substr(0, 79) + "\nxyz"},
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

// The bash completion, as bash itself takes it.
TEST_F(BookToolTest, CompletionOffersCommandsOptionsAndFilesOfTheirKind)
{
    for (const char* name : {"a.pdb", "b.txt", "c.dat", "two words.pdb"})
        m_folder.Write(name, "");
    fs::create_directory(m_folder.PathOf("sub"));
    const struct {
        const char* line;  // the words before the one being completed
        const char* word;
        const char* replies;  // sorted, one a line
    } cases[] = {
        {"solmira-book", "", "build\ncheck\nlist\nread\nshow\n"},
        {"solmira-book read", "--", "--date\n--help\n--version\n--width\n"},
        {"solmira-book --date 2026-01-01 read", "", "a.pdb\nsub\ntwo words.pdb\n"},
        {"solmira-book build", "", "b.txt\nsub\n"},
        {"solmira-book build b.txt", "", "a.pdb\nsub\ntwo words.pdb\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " '" + c.word + "'");
        const CommandResult result = RunCommand(
            {"bash", "-c",
             "cd \"$1\" && source \"$2\" && read -ra words <<<\"$3\" && COMP_WORDS=(\"${words[@]}\" \"$4\") && "
             "COMP_CWORD=${#words[@]} && _solmira_book && "
             "{ [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort; }",
             "bash", m_folder.Path(), SOLMIRA_SOURCE_DIR "/data/bash-completion/solmira-book", c.line, c.word});
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output, c.replies);
    }
}
