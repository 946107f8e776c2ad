// read on a terminal: words wrapped to the terminal's width (at most 80 columns), line
// feeds only, no control characters; piped, the exact text.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/BookToolFixture.h"

namespace
{

using BookToolTerminalTest = BookToolFixture;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// Columns of a line of UTF-8: the characters that do not continue another.
std::size_t Columns(const std::string& line)
{
    return static_cast<std::size_t>(
        std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

TEST_F(BookToolTerminalTest, ReadFitsTheTerminalAndIsExactWhenPiped)
{
    // Two long paragraphs (one with a word longer than a narrow line), then a source line.
    std::string first, second;
    for (int i = 0; i < 40; ++i)
        first += (i ? " " : "") + std::string("word") + std::to_string(i) +
                 (i % 7 == 0 ? "\x97"
                               "dash"
                             : "");
    for (int i = 0; i < 25; ++i)
        second += std::string(i ? " " : "") + (i == 3 ? "Incomprehensibilities-notwithstanding" : "caf\xE9");
    const std::string record = first + "\n\n" + second + "\n\n\x97 Seneca, Letters 1";
    const std::string book = Put("book.pdb", Book(366, {{1, record}}));
    const ToolOutcome piped = Run({"read", "--date", "2026-01-01", book});
    ASSERT_EQ(piped.status, 0) << piped.err;
    const std::vector<std::string> exact = Lines(piped.out);
    ASSERT_EQ(exact.size(), 7u) << piped.out;

    const struct {
        const char* name;
        bool terminal;
        unsigned short columns;   // the terminal's; 0: it tells none
        const char* environment;  // $COLUMNS
        const char* width;        // --width
        std::size_t widest;       // 0: the exact text
    } cases[] = {
        {"terminal of 40 columns", true, 40, nullptr, nullptr, 40},
        {"wide terminal", true, 200, nullptr, nullptr, 80},
        {"terminal size from COLUMNS", true, 0, "50", nullptr, 50},
        {"terminal of unknown size", true, 0, nullptr, nullptr, 80},
        {"terminal with junk in COLUMNS", true, 0, "wide", nullptr, 80},
        {"--width beats the terminal", true, 40, nullptr, "100", 100},
        {"--width when piped", false, 0, nullptr, "30", 30},
        {"piped", false, 0, "50", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run{{"read", "--date", "2026-01-01", book}};
        if (c.width != nullptr)
            run.args.insert(run.args.begin() + 1, {"--width", c.width});
        run.terminal = c.terminal;
        run.columns = c.columns;
        if (c.environment != nullptr)
            run.environment["COLUMNS"] = c.environment;
        const ToolOutcome outcome = Run(run);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        if (c.widest == 0) {
            EXPECT_EQ(outcome.out, piped.out);
            continue;
        }
        if (outcome.out.empty() || outcome.out.back() != '\n') {
            ADD_FAILURE() << "no reading, or one without a line feed at its end: " << outcome.out;
            continue;
        }
        EXPECT_EQ(outcome.out.find('\r'), std::string::npos);
        EXPECT_EQ(Words(outcome.out), Words(piped.out));
        // Paragraphs keep their blank line between them and the source its own line.
        const std::vector<std::string> lines = Lines(outcome.out);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 3);
        EXPECT_EQ(lines.back(), exact.back());
        std::size_t widest = 0;
        for (const std::string& line : lines)
            if (line.find("Incomprehensibilities") == std::string::npos || c.widest > 40)
                widest = std::max(widest, Columns(line));
        EXPECT_LE(widest, c.widest) << outcome.out;
        EXPECT_GT(widest, c.widest - 12) << outcome.out;
    }
}

// A book cannot send the terminal commands; piped, its bytes pass as they are.
TEST_F(BookToolTerminalTest, ControlCharactersAreShownNotObeyed)
{
    const std::string book = Put("book.pdb", Book(366, {{1, "\x1B]0;title\x07red \x1B[31mtext\x81\ttab"}}));
    ToolRun run{{"read", "--date", "2026-01-01", book}};
    run.terminal = true;
    run.columns = 80;
    EXPECT_EQ(Run(run).out, "Verse 1:\n\n\xEF\xBF\xBD]0;title\xEF\xBF\xBDred \xEF\xBF\xBD[31mtext\xEF\xBF\xBD\ttab\n");
    EXPECT_EQ(Run({"read", "--date", "2026-01-01", book}).out,
              "Verse 1:\n\n\x1B]0;title\x07red \x1B[31mtext\xC2\x81\ttab\n");
}
