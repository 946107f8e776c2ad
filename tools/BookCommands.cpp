// The book tool's commands: each takes its files as regular files of a book's size at
// most, and tells what is wrong with them rather than printing nothing.
#include "tools/BookCommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "book/BookFormat.h"
#include "calendar/Calendar.h"
#include "platform/core/CFile.h"
#include "platform/core/Utf8.h"
#include "tools/BookSource.h"
#include "tools/CommandLine.h"
#include "tools/ExitStatus.h"
#include "tools/PalmDatabase.h"
#include "tools/RegularFiles.h"
#include "tools/TerminalText.h"

namespace
{

// The record index of the first and the last reading.
constexpr UINT kFirstVerse = 1;
constexpr UINT kLastVerse = 365;

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The book opened for reading, or a refusal already told.
bool OpenBook(const std::string& path, CFile& book, int& status)
{
    const FileRefusal refusal = OpenBookFile(path, book);
    status = refusal.status == 0 ? kExitDone : Refuse(refusal.status, refusal.message);
    return refusal.status == 0;
}

// The header's length with its record list.
std::uint64_t HeaderLength(UINT count)
{
    return kBookHeaderSize + std::uint64_t{kBookEntrySize} * count;
}

// Whether record index's entry lies past the end of the file, where the reader finds 0.
bool EntryPastEnd(const CFile& book, UINT index)
{
    return HeaderLength(index) + 4 > book.GetLength();
}

// What is wrong with the place of record index in a book of count records, as a sentence;
// empty when nothing is. An empty reading is not a fault of its place.
std::string RecordFault(const CFile& book, UINT count, UINT index, const RecordPlace& place)
{
    const std::string name = "record " + std::to_string(index);
    if (EntryPastEnd(book, index))
        return name + "'s entry lies past the end of the file (" + std::to_string(book.GetLength()) + " bytes)";
    if (place.offset == 0)
        return name + " has no data (offset 0)";
    if (place.offset > book.GetLength())
        return name + " starts past the end of the file (offset " + std::to_string(place.offset) + ")";
    if (place.offset < HeaderLength(count))
        return name + " starts inside the header (offset " + std::to_string(place.offset) + ")";
    if (place.end < place.offset)
        return name + " ends before it starts (the next record's offset is smaller)";
    return std::string();
}

// Whether the reader finds no text in a record: none at its place, or a zero byte first.
bool IsEmptyReading(CFile& book, RecordPlace place)
{
    place.size = std::min<DWORD>(place.size, 1);
    return ReadBookRecordBytes(book, place).empty();
}

// The problems a book has, one sentence each; none for a sound book.
std::vector<std::string> BookProblems(CFile& book)
{
    std::vector<std::string> problems;
    const UINT count = ReadBookRecordCount(book);
    const bool headerCut = book.GetLength() < HeaderLength(count);
    if (headerCut)
        problems.push_back("the file ends inside its header (" + std::to_string(book.GetLength()) + " bytes)");
    if (count < kLastVerse + 1)
        problems.push_back("it has " + std::to_string(count) + " records; a book needs at least " +
                           std::to_string(kLastVerse + 1));
    for (UINT i = 0; i < count; ++i) {
        // A cut header is told once above; its records that lie past the cut are not
        // told again one by one.
        if (headerCut && EntryPastEnd(book, i))
            continue;
        const RecordPlace place = ReadBookRecordPlace(book, static_cast<int>(i), count);
        std::string problem = RecordFault(book, count, i, place);
        if (problem.empty() && i >= kFirstVerse && i <= kLastVerse && IsEmptyReading(book, place))
            problem = "record " + std::to_string(i) + " is an empty reading";
        if (!problem.empty())
            problems.push_back(problem);
    }
    return problems;
}

std::string RecordRange(UINT count, DWORD length)
{
    if (count == 0)
        return length < kBookHeaderSize ? "the file is too short to be a book (" + std::to_string(length) + " bytes)"
                                        : "the book has no records";
    return "the book has records 0 to " + std::to_string(count - 1);
}

// The text of record index (indexText as the user gave it) as the program shows it, or a
// refusal already told: no such record, or none to show from a record whose place is
// damaged. The header and that record are all that is read.
bool ReadRecord(const std::string& path, long long index, const std::string& indexText, CString& text, int& status)
{
    CFile book;
    if (!OpenBook(path, book, status))
        return false;
    if (index >= 0 && index <= INT_MAX)
        text = ReadBookRecordText(book, static_cast<int>(index));
    if (!text.IsEmpty())
        return true;
    // Nothing to show from a record that is not there, or whose place is damaged, is a
    // fault, not a text; an empty reading is a text.
    const UINT count = ReadBookRecordCount(book);
    std::string fault;
    if (index < 0 || index >= count) {
        fault = "no record " + indexText + ": " + RecordRange(count, book.GetLength());
    } else {
        const RecordPlace place = ReadBookRecordPlace(book, static_cast<int>(index), count);
        fault = RecordFault(book, count, static_cast<UINT>(index), place);
        if (!fault.empty())
            fault += ", so the program shows no text for it";
    }
    if (fault.empty())
        return true;
    status = Refuse(kExitProblem, path + ": " + fault);
    return false;
}

}  // namespace

int Refuse(int status, const std::string& message)
{
    std::fprintf(stderr, "solmira-book: %s\n", message.c_str());
    return status;
}

int BuildBook(const std::string& sourcePath, const std::string& outPath)
{
    std::string source;
    const FileRefusal unread = ReadRegularFile(sourcePath, "a book's source", source);
    if (unread.status != 0)
        return Refuse(unread.status, unread.message);
    // The book would take the source's place: by its name, through a link or a second name.
    struct stat in {
    };
    struct stat out {
    };
    if (::stat(sourcePath.c_str(), &in) == 0 && ::stat(outPath.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino)
        return Refuse(kExitUsage, outPath + ": is the source itself; the book needs a name of its own");
    std::vector<std::string> records;
    BookSourceError error;
    if (!ParseBookSource(source, records, error))
        return Refuse(kExitProblem,
                      sourcePath + (error.line > 0 ? ":" + std::to_string(error.line) : "") + ": " + error.message);
    // The database name is the title's first line.
    const std::string name = records[0].substr(0, records[0].find('\n'));
    const std::string bytes = BuildPalmDatabase(name, records);
    if (bytes.size() > kLargestBook)
        return Refuse(kExitProblem,
                      outPath + ": the book would be larger than a book can be (at most " + kLargestBookText + ")");
    const FileRefusal unwritten = WriteRegularFile(outPath, bytes);
    return unwritten.status == 0 ? kExitDone : Refuse(unwritten.status, unwritten.message);
}

int ShowRecord(const std::string& bookPath, const std::string& indexText)
{
    long long index = 0;
    if (!ParseWholeNumber(indexText, LLONG_MIN, LLONG_MAX, index))
        return Refuse(kExitUsage, "INDEX must be a record number, not \"" + indexText + "\"");
    CString text;
    int status = kExitDone;
    if (!ReadRecord(bookPath, index, indexText, text, status))
        return status;
    std::string out = Utf8FromWide(text.Str());
    // A terminal's prompt must not join the last line; piped, the bytes stay exact.
    if (!out.empty() && out.back() != '\n' && IsTerminal(STDOUT_FILENO))
        out += '\n';
    Print(out);
    return kExitDone;
}

int ReadVerse(const std::string& bookPath, const SYSTEMTIME& date, int width)
{
    const int verse = VerseNumberForDate(date.wDay, date.wMonth, date.wYear);
    CString record;
    int status = kExitDone;
    if (!ReadRecord(bookPath, verse, std::to_string(verse), record, status))
        return status;
    std::wstring text = WithLineFeeds(record.Str());
    if (IsTerminal(STDOUT_FILENO)) {
        text = WithVisibleControls(text);
        if (width == 0)
            width = TerminalWidth(STDOUT_FILENO);
    }
    if (width > 0)
        text = WrappedWords(text, width);
    Print("Verse " + std::to_string(verse) + ":\n\n" + Utf8FromWide(text) + "\n");
    return kExitDone;
}

int ListRecords(const std::string& bookPath)
{
    CFile book;
    int status = kExitDone;
    if (!OpenBook(bookPath, book, status))
        return status;
    const UINT count = ReadBookRecordCount(book);
    const std::string length = std::to_string(book.GetLength());
    if (book.GetLength() < HeaderLength(count))
        return Refuse(kExitProblem, bookPath + ": the file ends inside its header (" + length + " bytes; " +
                                        std::to_string(count) + " records need " + std::to_string(HeaderLength(count)) +
                                        ")");
    std::string out = "records: " + std::to_string(count) + "\nfile length: " + length + "\nindex offset size\n";
    for (UINT i = 0; i < count; ++i) {
        const RecordPlace place = ReadBookRecordPlace(book, static_cast<int>(i), count);
        out += std::to_string(i) + ' ' + std::to_string(place.offset) + ' ' + std::to_string(place.size) + '\n';
    }
    Print(out);
    return kExitDone;
}

int CheckStructure(const std::string& bookPath)
{
    CFile book;
    int status = kExitDone;
    if (!OpenBook(bookPath, book, status))
        return status;
    const std::vector<std::string> problems = BookProblems(book);
    std::string out;
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i)
        out += bookPath + ": " + problems[i] + '\n';
    if (problems.size() > kProblemsShown)
        out += bookPath + ": and " + std::to_string(problems.size() - kProblemsShown) + " more problems\n";
    if (problems.empty())
        out = bookPath + ": ok, " + std::to_string(ReadBookRecordCount(book)) + " records\n";
    Print(out);
    return problems.empty() ? kExitDone : kExitProblem;
}
