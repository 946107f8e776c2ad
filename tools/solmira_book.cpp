// solmira-book: makes books from their source, and reads and checks books the way the
// program reads them.
//
//   solmira-book build SOURCE OUT.pdb
//   solmira-book show BOOK INDEX
//   solmira-book read [--date YYYY-MM-DD] BOOK
//   solmira-book list BOOK
//   solmira-book check BOOK
//
// Exit status: 0 done; 1 a problem in the book or the source; 2 bad arguments or a file
// that cannot be read or written.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "calendar/Calendar.h"
#include "platform/core/Clock.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf8.h"
#include "tools/BookSource.h"
#include "tools/PalmDatabase.h"

namespace
{

constexpr int kOk = 0;
constexpr int kProblem = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "usage: solmira-book build SOURCE OUT.pdb | show BOOK INDEX | read [--date YYYY-MM-DD] BOOK | list BOOK | "
    "check BOOK";

int Fail(int status, const std::string& message)
{
    std::cerr << "solmira-book: " << message << '\n';
    return status;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Opens a book as the program does; false when it cannot be opened for reading.
bool OpenAsProgram(CBookFile& book, const std::string& path)
{
    return book.OpenBook(DevicePathFromHostPath(path).c_str()) != FALSE;
}

bool ParseInt(const std::string& text, long long low, long long high, long long& value)
{
    // Digits only, with an optional minus: no spaces or plus signs.
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

// YYYY-MM-DD, a date of the calendar from year 1601 to 9999.
bool ParseDate(const std::string& text, SYSTEMTIME& date)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        (text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2)).find_first_not_of("0123456789") !=
            std::string::npos)
        return false;
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    // The real calendar decides whether a 29 February exists.
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int length = month == 2 && leap ? 29 : g_anDaysInMonth[month - 1];
    if (day > length)
        return false;
    date = SYSTEMTIME{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    return true;
}

int Build(const std::string& sourcePath, const std::string& outPath)
{
    std::string source;
    if (!ReadWholeFile(sourcePath, source))
        return Fail(kUsage, "cannot read " + sourcePath);
    std::vector<std::string> records;
    BookSourceError error;
    if (!ParseBookSource(source, records, error))
        return Fail(kProblem,
                    sourcePath + (error.line > 0 ? ":" + std::to_string(error.line) : "") + ": " + error.message);
    // The database name is the title's first line.
    const std::string name = records[0].substr(0, records[0].find('\n'));
    const std::string bytes = BuildPalmDatabase(name, records);
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
        return Fail(kUsage, "cannot write " + outPath);
    return kOk;
}

int Show(const std::string& bookPath, const std::string& indexText)
{
    long long index = 0;
    if (!ParseInt(indexText, INT_MIN, INT_MAX, index))
        return Fail(kUsage, "INDEX must be a whole number, not \"" + indexText + "\"");
    CBookFile book;
    if (!OpenAsProgram(book, bookPath))
        return Fail(kUsage, "cannot open " + bookPath);
    const std::string text = Utf8FromWide(book.ReadRecordText(static_cast<int>(index)).Str());
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    return kOk;
}

int Read(const std::string& bookPath, const SYSTEMTIME& date)
{
    CBookFile book;
    if (!OpenAsProgram(book, bookPath))
        return Fail(kUsage, "cannot open " + bookPath);
    const int verse = VerseNumberForDate(date.wDay, date.wMonth, date.wYear);
    CString text = book.ReadRecordText(verse);
    text.Replace(L"\r\n", L"\n");
    std::cout << "Verse " << verse << ":\n\n" << Utf8FromWide(text.Str()) << '\n';
    return kOk;
}

int List(const std::string& bookPath)
{
    std::string bytes;
    if (!ReadWholeFile(bookPath, bytes))
        return Fail(kUsage, "cannot read " + bookPath);
    const PalmLayout layout = ReadPalmLayout(bytes);
    std::cout << "records: " << layout.records.size() << "\nfile length: " << layout.fileLength
              << "\nindex offset size\n";
    for (std::size_t i = 0; i < layout.records.size(); ++i)
        std::cout << i << ' ' << layout.records[i].offset << ' ' << layout.records[i].size << '\n';
    return kOk;
}

int Check(const std::string& bookPath)
{
    std::string bytes;
    if (!ReadWholeFile(bookPath, bytes))
        return Fail(kUsage, "cannot read " + bookPath);
    const std::vector<std::string> problems = CheckBook(bytes);
    for (const std::string& problem : problems)
        std::cout << bookPath << ": " << problem << '\n';
    if (!problems.empty())
        return kProblem;
    std::cout << bookPath << ": ok, " << ReadPalmLayout(bytes).records.size() << " records\n";
    return kOk;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Fail(kUsage, kUsageText);
    const std::string& command = args[0];
    if (command == "build" && args.size() == 3)
        return Build(args[1], args[2]);
    if (command == "show" && args.size() == 3)
        return Show(args[1], args[2]);
    if (command == "list" && args.size() == 2)
        return List(args[1]);
    if (command == "check" && args.size() == 2)
        return Check(args[1]);
    if (command == "read" && (args.size() == 2 || (args.size() == 4 && args[1] == "--date"))) {
        SYSTEMTIME date{};
        if (args.size() == 4 && !ParseDate(args[2], date))
            return Fail(kUsage, "--date must be a date as YYYY-MM-DD, not \"" + args[2] + "\"");
        if (args.size() == 2)
            GetLocalTime(&date);
        return Read(args.back(), date);
    }
    return Fail(kUsage, kUsageText);
}
