// Reading the book tool's command line, and the texts that tell how to write one.
#include "tools/CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <map>

namespace
{

// How many operands each command takes, at least and at most.
struct Arity {
    std::size_t least, most;
};
const std::map<std::string, Arity> kCommands = {
    {"build", {2, 2}}, {"show", {1, 2}}, {"read", {0, 1}}, {"list", {1, 1}}, {"check", {1, 1}},
};

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

constexpr long long kWidestWrap = 1000;

bool IsOption(const std::string& arg)
{
    // A lone "-" and a negative number are operands.
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

CommandLine Refused(const std::string& error, bool showUsage)
{
    CommandLine line;
    line.error = error;
    line.showUsage = showUsage;
    return line;
}

}  // namespace

const char* const kUsageText =
    "usage: solmira-book read [--date YYYY-MM-DD] [--width N] [BOOK]\n"
    "       solmira-book show [BOOK] INDEX\n"
    "       solmira-book list BOOK\n"
    "       solmira-book check BOOK\n"
    "       solmira-book build SOURCE OUT.pdb\n"
    "       solmira-book --help | --version\n";

const char* const kHelpText =
    "\n"
    "Makes Solmira's books and reads them as the program does.\n"
    "\n"
    "  read   the reading of a date (today's by default) as the window shows it\n"
    "  show   the exact text of record INDEX\n"
    "  list   the record count, and each record's offset and size\n"
    "  check  the book's structure; exit status 1 on a problem\n"
    "  build  a book from its source (see solmira-book(1) for the form)\n"
    "\n"
    "  --date YYYY-MM-DD  read the reading of that date\n"
    "  --width N          wrap the reading to N columns, piped or not; without it,\n"
    "                     a terminal's width (at most 80) is taken, and piped text\n"
    "                     is left as it is\n"
    "\n"
    "Without BOOK, read and show take the first of:\n"
    "  1. the book that $SOLMIRA_BOOK names;\n"
    "  2. the user's own solmiraverse.pdb in $XDG_DATA_HOME/solmira (by default\n"
    "     ~/.local/share/solmira), where the program's folder is not theirs to write;\n"
    "  3. solmiraverse.pdb in the program's folder: this tool's own folder when the\n"
    "     program solmira lies there, otherwise ../lib/solmira beside it.\n"
    "\n"
    "A book is at most 64 MiB. Exit status: 0 done; 1 a problem in the book or the\n"
    "source; 2 a bad command line or a file that cannot be read or written.\n";

bool ParseWholeNumber(const std::string& text, long long low, long long high, long long& value)
{
    // Digits only, with an optional minus: no spaces or plus signs.
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool ParseDate(const std::string& text, SYSTEMTIME& date, std::string& why)
{
    long long year = 0, month = 0, day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ParseWholeNumber(text.substr(0, 4), 0, 9999, year) ||
        !ParseWholeNumber(text.substr(5, 2), 0, 99, month) || !ParseWholeNumber(text.substr(8, 2), 0, 99, day)) {
        why = "a date is written as YYYY-MM-DD";
        return false;
    }
    if (year < 1601) {
        why = "the year must be from 1601 to 9999";
        return false;
    }
    if (month < 1 || month > 12) {
        why = "month " + std::to_string(month) + " does not exist";
        return false;
    }
    // The real calendar decides whether a 29 February exists; the verse of one that does
    // follows the program's own rule.
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int length = month == 2 && leap ? 29 : kLengths[month - 1];
    if (day < 1) {
        why = "day 0 does not exist";
        return false;
    }
    if (day > length) {
        why = month == 2 && day == 29 ? std::to_string(year) + " has no 29 February"
                                      : "there is no " + std::to_string(day) + " " + kMonthNames[month - 1];
        return false;
    }
    date = SYSTEMTIME{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    return true;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    // Help and version answer whatever else the line holds.
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
    }
    std::vector<std::string> words;
    std::string dateText, widthText;
    bool hasWidth = false, optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::string name = arg.substr(0, arg.find('='));
        if (name != "--date" && name != "--width")
            return Refused("unknown option " + name, true);
        std::string value;
        if (name.size() < arg.size())
            value = arg.substr(name.size() + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            return Refused(name + " needs a value", true);
        if (name == "--date")
            dateText = value, line.hasDate = true;
        else
            widthText = value, hasWidth = true;
    }
    if (words.empty())
        return Refused("no command", true);
    line.command = words[0];
    line.operands.assign(words.begin() + 1, words.end());
    const auto command = kCommands.find(line.command);
    if (command == kCommands.end())
        return Refused("unknown command " + line.command, true);
    if ((line.hasDate || hasWidth) && line.command != "read")
        return Refused(std::string(line.hasDate ? "--date" : "--width") + " is an option of read alone", true);
    if (line.operands.size() < command->second.least || line.operands.size() > command->second.most)
        return Refused(line.command + (line.operands.size() < command->second.least ? " needs more" : " takes fewer") +
                           " arguments",
                       true);
    std::string why;
    if (line.hasDate && !ParseDate(dateText, line.date, why))
        return Refused("--date " + dateText + ": " + why, false);
    long long width = 0;
    if (hasWidth && !ParseWholeNumber(widthText, 1, kWidestWrap, width))
        return Refused("--width " + widthText + ": the width is a whole number of columns from 1 to " +
                           std::to_string(kWidestWrap),
                       false);
    line.width = static_cast<int>(width);
    line.action = CommandLine::Action::Run;
    return line;
}
