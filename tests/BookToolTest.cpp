// solmira-book as a user runs it: building, showing, reading, listing and checking books,
// each fault told with its reason, files that are no book, a terminal's width, and the book
// it takes when given none.
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

#include "platform/core/ByteOrder.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"
#include "tests/ToolRunner.h"
#include "tools/PalmDatabase.h"

namespace
{

namespace fs = std::filesystem;

// A book of count records: record k holds "Reading k\nline two" unless texts has one for it.
std::string Book(int count = 366, const std::map<int, std::string>& texts = {})
{
    std::vector<std::string> records;
    for (int k = 0; k < count; ++k)
        records.push_back(texts.count(k) ? texts.at(k) : "Reading " + std::to_string(k) + "\nline two");
    return BuildPalmDatabase("Test", records);
}

// A refusal: the status, nothing on stdout, and "solmira-book: " with fragment on the
// first line of stderr (a refused command line adds the usage below it).
void ExpectRefused(const ToolOutcome& outcome, int status, const std::string& fragment = "")
{
    EXPECT_EQ(outcome.status, status) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    EXPECT_EQ(first.rfind("solmira-book: ", 0), 0u) << outcome.err;
    EXPECT_NE(first.find(fragment), std::string::npos) << "\"" << fragment << "\" not in: " << outcome.err;
    EXPECT_TRUE(!outcome.err.empty() && outcome.err.back() == '\n') << outcome.err;
}

class BookToolTest : public ::testing::Test
{
protected:
    ToolOutcome Run(const std::vector<std::string>& args) const { return RunTool(ToolRun{args}, m_folder.Path()); }
    ToolOutcome Run(const ToolRun& run) const { return RunTool(run, m_folder.Path()); }

    std::string Put(const std::string& name, const std::string& bytes) const
    {
        m_folder.Write(name, bytes);
        return m_folder.PathOf(name);
    }

    ProgramFolder m_folder;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A copy of a book with record index's offset set to value, big-endian as the format has it.
std::string Patched(std::string bytes, int index, std::uint32_t value)
{
    PutBigEndian(&bytes.at(78 + 8 * static_cast<std::size_t>(index)), 4, value);
    return bytes;
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

}  // namespace

// Each row a fault a user met, or a reading: the message, the exit status and what stdout
// holds, at once and leaving no output behind. A bad command line also shows the usage on
// stderr. A reading is wrapped to the
// terminal's width, at most 80 columns, or to --width; piped without --width it is exact. A
// character of the code page takes one column.
TEST_F(BookToolTest, EachFaultIsToldWithItsReason)
{
    // 79 columns and a space: a word after them goes past the 80th.
    const std::string wide = "abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd ";
    const std::string narrow = "Verse 3:\n\none two\xC3\xA9 three\n\nIncomprehensible\n";
    const std::string cut = "Verse 3:\n\none two\xC3\xA9\nthree\n\nIncomprehensible\n";
    const std::string wrapped = "Verse 4:\n\n" + wide.substr(0, 79) + "\nxyz\n";
    const std::string folder = m_folder.PathOf("folder"), fifo = m_folder.PathOf("fifo"), out = m_folder.PathOf("out");
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Five gigabytes that take no room: the size of a file that no book can be.
    fs::resize_file(Put("sparse.pdb", ""), std::uintmax_t{5} << 30);
    // The words of a command; {book}, {noise}, {none}, {source} and {out} stand for a sound
    // book, the noise, a missing file, a sound source and an output, {name} for a book whose
    // record 5 starts in its name, and the others for what their names say.
    const std::map<std::string, std::string> files = {
        {"{folder}", folder},
        {"{fifo}", fifo},
        {"{out}", out},
        {"{sparse}", m_folder.PathOf("sparse.pdb")},
        {"{source}", Put("source.txt", "@@ 0\nTitle\n")},
        {"{book}", Put("book.pdb", Book(366, {{0, "Title"},
                                              {1, "A\rB\r\nC\n\rD"},
                                              {2, "\x1B]0;t\x07r\x1B[1mx\x81\tb"},
                                              {3, "one two\xE9 three\n\nIncomprehensible"},
                                              {4, wide + "xyz"}}))},
        {"{noise}", Put("noise.pdb", Noise())},
        {"{none}", m_folder.PathOf("none.pdb")},
        {"{skips}", Put("skips.txt", "@@ 0\nT\n@@ 2\n")},
        {"{overlong}", Put("overlong.txt", "@@ 0\n\xC0\xAF\n")},
        {"{name}", Put("name.pdb", Patched(Book(), 5, 1))},
        {"{zero}", Put("zero.pdb", Patched(Book(), 7, 0))},
        {"{blank}", Put("blank.pdb", Book(366, {{0, "Title"}, {1, ""}}))},
        {"{inside}", Put("inside.pdb", Patched(Book(), 5, 78 + 8 * 300))},
        {"{cut}", Put("cut.pdb", Book(6).substr(0, 160))},
        {"{link}", m_folder.PathOf("link.txt")},
        {"{second}", m_folder.PathOf("second.txt")}};
    fs::create_symlink(files.at("{source}"), files.at("{link}"));
    fs::create_hard_link(files.at("{source}"), files.at("{second}"));
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
        std::string out;  // stdout exactly; or what comes before and after "..." in it
        bool usage = false;
        int terminal = -1;              // the terminal's width (0: it tells none); -1: piped
        const char* columns = nullptr;  // $COLUMNS
    } cases[] = {
        {"read noise", "read --date 2026-12-06 {noise}", 1,
         "{noise}: record 340 starts past the end of the file (offset 1928751125), so the program shows no text", ""},
        {"list noise", "list {noise}", 1, "{noise}: the file ends inside its header (5000 bytes", ""},
        // A record cut short by the file's end is as long as the text the window shows.
        {"list a book cut inside a record", "list {cut}", 0, "",
         "records: 6\nfile length: 160\nindex offset size\n0 128 18\n1 146 14\n2 164 0\n3 182 0\n4 200 0\n5 218 0\n"},
        {"read missing", "read {none}", 2, "{none}: No such file or directory", ""},
        // Every command reads its book the same way: read stands for them, build for the source.
        {"read a folder", "read {folder}", 2, "{folder}: Is a directory", ""},
        {"build from a folder", "build {folder} {out}", 2, "{folder}: Is a directory", ""},
        {"read a FIFO", "read {fifo}", 2, "{fifo}: not a regular file but a FIFO", ""},
        {"build from a FIFO", "build {fifo} {out}", 2, "{fifo}: not a regular file but a FIFO", ""},
        {"read a device", "read /dev/zero", 2, "/dev/zero: not a regular file but a character device", ""},
        {"build from a device", "build /dev/zero {out}", 2, "/dev/zero: not a regular file but a character device", ""},
        {"read 5 GiB", "read {sparse}", 1, "{sparse}: larger than a book can be (at most 64 MiB)", ""},
        {"build from 5 GiB", "build {sparse} {out}", 1, "{sparse}: larger than", ""},
        // An output that is not a regular file is left as it is, and a FIFO is never opened.
        {"build into a folder", "build {source} {folder}", 2, "{folder}: ", ""},
        {"build into a FIFO", "build {source} {fifo}", 2, "{fifo}: not a regular file but a FIFO", ""},
        {"build into a device", "build {source} /dev/null", 2, "/dev/null: not a regular file but a character", ""},
        // Nor is the source itself, by its name, a link or a second name: the book would take its place.
        {"build over its source", "build {source} {source}", 2, "{source}: is the source itself", ""},
        {"build over a link to its source", "build {source} {link}", 2, "{link}: is the source itself", ""},
        {"build over a second name of its source", "build {source} {second}", 2, "{second}: is the source", ""},
        {"source marker skips a number", "build {skips} {out}", 1, "{skips}:3: ", ""},
        {"source with an overlong encoding", "build {overlong} {out}", 1, "{overlong}:2: ", ""},
        // Each line of check names a problem; the first twenty are told, then how many more.
        {"check a sound book", "check {book}", 0, "", "{book}: ok, 366 records\n"},
        {"check a zero offset", "check {zero}", 1, "",
         "{zero}: record 6 ends before it starts (the next record's offset is smaller)\n"
         "{zero}: record 7 has no data (offset 0)\n"},
        {"check a record inside the record list", "check {inside}", 1, "",
         "{inside}: record 4 ends before it starts (the next record's offset is smaller)\n"
         "{inside}: record 5 starts inside the header (offset 2478)\n"},
        {"check noise", "check {noise}", 1, "",
         "{noise}: the file ends inside its header (5000 bytes)\n...and 596 more problems\n"},
        {"check an empty first reading", "check {blank}", 1, "", "{blank}: record 1 is an empty reading\n"},
        {"show past the last", "show {book} 366", 1, "{book}: no record 366: the book has records 0 to 365", ""},
        {"show negative", "show {book} -1", 1, "{book}: no record -1", ""},
        {"--help", "--help", 0, "", "usage: solmira-book read [--date YYYY-MM-DD] [--width N] [BOOK]\n..."},
        {"--version", "--version", 0, "", "solmira-book " SOLMIRA_VERSION "\n"},
        {"unknown option", "read --day 2026-01-01", 2, "unknown option --day", "", true},
        {"29 February of 2100", "read --date 2100-02-29", 2, "2100 has no 29 February", ""},
        {"31 April", "read --date 2026-04-31", 2, "there is no 31 April", ""},
        {"--date without its value", "read --date", 2, "--date needs a value", "", true},
        {"--width outside read", "show --width 40 {book} 3", 2, "--width is an option of read alone", "", true},
        // The text box takes "\r\r\n", "\r\n", "\n" and a lone "\r" each as one line end.
        {"lone carriage return", "read --date 2026-01-01 {book}", 0, "", "Verse 1:\n\nA\nB\nC\n\nD\n"},
        // A book cannot send the terminal commands.
        {"controls on a terminal", "read --date 2026-01-02 {book}", 0, "",
         "Verse 2:\n\n\xEF\xBF\xBD]0;t\xEF\xBF\xBDr\xEF\xBF\xBD[1mx\xEF\xBF\xBD\tb\n", false, 0},
        {"a line that ends at the edge", "read --width 14 --date 2026-01-03 {book}", 0, "", narrow},
        {"terminal of 13 columns", "read --date 2026-01-03 {book}", 0, "", cut, false, 13},
        {"terminal size from COLUMNS", "read --date 2026-01-03 {book}", 0, "", cut, false, 0, "13"},
        {"--width beats the terminal", "read --width 14 --date 2026-01-03 {book}", 0, "", narrow, false, 13},
        {"wide terminal", "read --date 2026-01-04 {book}", 0, "", wrapped, false, 200},
        {"terminal of unknown size", "read --date 2026-01-04 {book}", 0, "", wrapped, false, 0},
        {"piped", "read --date 2026-01-04 {book}", 0, "", "Verse 4:\n\n" + wide + "xyz\n", false, -1, "13"},
        {"show on a terminal", "show {book} 0", 0, "", "Title\n", false, 0},
        {"show piped", "show {book} 0", 0, "", "Title"},
        {"show a record that starts in the name", "show {name} 5", 0, "", "est"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run;
        std::istringstream words(expand(c.args));
        for (std::string word; words >> word;)
            run.args.push_back(word);
        run.terminal = c.terminal >= 0;
        run.columns = static_cast<unsigned short>(std::max(c.terminal, 0));
        if (c.columns != nullptr)
            run.environment["COLUMNS"] = c.columns;
        const ToolOutcome outcome = Run(run);
        EXPECT_LT(outcome.seconds, 5) << "ample under the sanitizers, far below a hang";
        EXPECT_FALSE(fs::exists(out));
        if (!c.err.empty()) {
            ExpectRefused(outcome, c.status, expand(c.err));
            EXPECT_EQ(outcome.err.find("\nusage: solmira-book read") != std::string::npos, c.usage) << outcome.err;
            continue;
        }
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        const std::string expected = expand(c.out);
        const std::size_t dots = expected.find("...");
        if (dots == std::string::npos)
            EXPECT_EQ(outcome.out, expected);
        else
            EXPECT_TRUE(outcome.out.rfind(expected.substr(0, dots), 0) == 0 &&
                        outcome.out.size() >= expected.size() - 3 &&
                        outcome.out.compare(outcome.out.size() - (expected.size() - dots - 3), std::string::npos,
                                            expected, dots + 3) == 0)
                << outcome.out;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(ReadAll(files.at("{link}")), "@@ 0\nTitle\n");
}

// A source saved with a byte-order mark, as some editors save it, builds as without one. A
// build that fails half way leaves the old book (FileReplacementTest).
TEST_F(BookToolTest, ASourceWithAByteOrderMarkBuilds)
{
    const std::string source = Put("source.txt", "\xEF\xBB\xBF@@ 0\nTitle\n@@ 1\nReading\n");
    EXPECT_EQ(Run({"build", source, m_folder.PathOf("book.pdb")}).status, 0);
    EXPECT_EQ(Run({"show", m_folder.PathOf("book.pdb"), "1"}).out, "Reading");
}

// Without a path, read and show take $SOLMIRA_BOOK, or else the book the program itself
// would read for this user: the user's own book over a folder not theirs, then the
// program's book, beside the tool in a build and in ../lib/solmira in an install. Without
// a date, read gives today's reading.
TEST_F(BookToolTest, ReadAndShowFindTheBookTheProgramReads)
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
        {"SOLMIRA_BOOK empty", false, true, false, true, "", nullptr, "Program"},
        {"no book in the install", true, false, false, true, nullptr, nullptr, "lib/solmira/solmiraverse.pdb"},
        {"no book in the build folder", false, false, false, true, nullptr, nullptr, "bin/solmiraverse.pdb"},
    };
    // The day of the reading, fixed by faketime.
    const std::vector<std::string> fakeClock = FakeClockCommand("2026-01-02 12:00:00");
    if (fakeClock.empty())
        SKIP_OR_FAIL_UNDER_CI("faketime is not installed");
    const std::string root = m_folder.Path(), bin = m_folder.PathOf("bin");
    // An ordinary user must pass through the test's folders, as through a real install.
    fs::permissions(root, fs::perms::all);
    const auto book = [](const std::string& whose) { return Book(366, {{2, whose + " reading"}}); };
    Put("other.pdb", book("Other"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* folder : {"bin", "lib", ".local"})
            fs::remove_all(m_folder.PathOf(folder));
        const std::string program = c.install ? "lib/solmira" : "bin";
        for (const std::string& folder : {program, std::string("bin"), std::string(".local/share/solmira")})
            fs::create_directories(m_folder.PathOf(folder));
        fs::copy_file(SOLMIRA_BOOK_TOOL, bin + "/solmira-book");
        Put(program + "/solmira", "#!/bin/sh\n");
        // Every install puts the command solmira beside the tool: a link to the program.
        if (c.install)
            fs::create_symlink("../lib/solmira/solmira", bin + "/solmira");
        if (c.programBook)
            Put(program + "/solmiraverse.pdb", book("Program"));
        if (c.userBook)
            Put(".local/share/solmira/solmiraverse.pdb", book("User"));
        for (const auto& entry : fs::recursive_directory_iterator(root))
            fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
        // As root every folder is writable: the folder that is not the user's is seen by nobody.
        if (!c.folderIsTheUsers)
            fs::permissions(m_folder.PathOf(program),
                            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);

        for (const bool read : {true, false}) {
            ToolRun run{{read ? "read" : "show"}};
            run.tool = bin + "/solmira-book";
            run.wrapper = fakeClock;
            // faketime comes in before the sanitizer's runtime; that is harmless here.
            run.environment["ASAN_OPTIONS"] = "verify_asan_link_order=0";
            if (c.path != nullptr)
                run.args.push_back(m_folder.PathOf(c.path));
            if (!read)
                run.args.push_back("2");
            if (c.solmiraBook != nullptr)
                run.environment["SOLMIRA_BOOK"] = *c.solmiraBook != '\0' ? m_folder.PathOf(c.solmiraBook) : "";
            run.asOrdinaryUser = !c.folderIsTheUsers;
            const ToolOutcome outcome = Run(run);
            if (c.expected.find('.') != std::string::npos) {
                ExpectRefused(outcome, 2, m_folder.PathOf(c.expected) + ": No such file or directory");
                continue;
            }
            EXPECT_EQ(outcome.status, 0) << outcome.err;
            EXPECT_EQ(outcome.out, (read ? "Verse 2:\n\n" : "") + c.expected + " reading" + (read ? "\n" : ""));
        }
    }
}
