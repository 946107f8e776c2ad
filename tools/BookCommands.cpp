// The book tool's commands: each takes its files as regular files of a book's size at
// most, and tells what is wrong with them rather than printing nothing.
#include "tools/BookCommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "book/CBookFile.h"
#include "calendar/Calendar.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf8.h"
#include "tools/BookSource.h"
#include "tools/CommandLine.h"
#include "tools/ExitStatus.h"
#include "tools/PalmDatabase.h"
#include "tools/RegularFiles.h"
#include "tools/TerminalText.h"

namespace
{

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The whole book file, or a refusal already told.
bool LoadBook(const std::string& path, std::string& bytes, int& status)
{
    const FileRefusal refusal = ReadRegularFile(path, "a book", bytes);
    status = refusal.status == 0 ? kExitDone : Refuse(refusal.status, refusal.message);
    return refusal.status == 0;
}

// Reads record index as the program does; false with errno set when the book cannot be
// opened (it was read a moment before, so it has gone or changed since).
bool ReadAsProgram(const std::string& path, int index, CString& text)
{
    CBookFile book;
    if (!book.OpenBook(DevicePathFromHostPath(path).c_str())) {
        if (errno == 0)
            errno = ENOENT;
        return false;
    }
    text = book.ReadRecordText(index);
    return true;
}

std::string RecordRange(const PalmLayout& layout)
{
    if (layout.records.empty())
        return layout.fileLength < layout.headerLength
                   ? "the file is too short to be a book (" + std::to_string(layout.fileLength) + " bytes)"
                   : "the book has no records";
    return "the book has records 0 to " + std::to_string(layout.records.size() - 1);
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
    std::string bytes;
    int status = kExitDone;
    if (!LoadBook(bookPath, bytes, status))
        return status;
    const PalmLayout layout = ReadPalmLayout(bytes);
    if (index < 0 || index >= static_cast<long long>(layout.records.size()))
        return Refuse(kExitProblem, bookPath + ": no record " + indexText + ": " + RecordRange(layout));
    CString text;
    if (!ReadAsProgram(bookPath, static_cast<int>(index), text))
        return Refuse(kExitUsage, bookPath + ": " + std::strerror(errno));
    // Nothing to show from a record whose place is damaged is a fault, not a text.
    const std::string fault = text.IsEmpty() ? RecordFault(layout, static_cast<std::size_t>(index)) : "";
    if (!fault.empty())
        return Refuse(kExitProblem, bookPath + ": " + fault + ", so the program shows no text for it");
    std::string out = Utf8FromWide(text.Str());
    // A terminal's prompt must not join the last line; piped, the bytes stay exact.
    if (!out.empty() && out.back() != '\n' && IsTerminal(STDOUT_FILENO))
        out += '\n';
    Print(out);
    return kExitDone;
}

int ReadVerse(const std::string& bookPath, const SYSTEMTIME& date, int width)
{
    std::string bytes;
    int status = kExitDone;
    if (!LoadBook(bookPath, bytes, status))
        return status;
    const std::vector<std::string> problems = CheckBook(bytes);
    if (!problems.empty())
        return Refuse(kExitProblem, bookPath + ": not a sound book: " + problems[0] +
                                        (problems.size() > 1 ? " (and " + std::to_string(problems.size() - 1) +
                                                                   " more problems: see solmira-book check)"
                                                             : ""));
    const int verse = VerseNumberForDate(date.wDay, date.wMonth, date.wYear);
    CString record;
    if (!ReadAsProgram(bookPath, verse, record))
        return Refuse(kExitUsage, bookPath + ": " + std::strerror(errno));
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
    std::string bytes;
    int status = kExitDone;
    if (!LoadBook(bookPath, bytes, status))
        return status;
    const PalmLayout layout = ReadPalmLayout(bytes);
    if (layout.fileLength < layout.headerLength)
        return Refuse(kExitProblem, bookPath + ": the file ends inside its header (" +
                                        std::to_string(layout.fileLength) + " bytes; " +
                                        std::to_string(layout.records.size()) + " records need " +
                                        std::to_string(layout.headerLength) + ")");
    std::string out = "records: " + std::to_string(layout.records.size()) +
                      "\nfile length: " + std::to_string(layout.fileLength) + "\nindex offset size\n";
    for (std::size_t i = 0; i < layout.records.size(); ++i)
        out += std::to_string(i) + ' ' + std::to_string(layout.records[i].offset) + ' ' +
               std::to_string(layout.records[i].size) + '\n';
    Print(out);
    return kExitDone;
}

int CheckStructure(const std::string& bookPath)
{
    std::string bytes;
    int status = kExitDone;
    if (!LoadBook(bookPath, bytes, status))
        return status;
    const std::vector<std::string> problems = CheckBook(bytes);
    std::string out;
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i)
        out += bookPath + ": " + problems[i] + '\n';
    if (problems.size() > kProblemsShown)
        out += bookPath + ": and " + std::to_string(problems.size() - kProblemsShown) + " more problems\n";
    if (problems.empty())
        out = bookPath + ": ok, " + std::to_string(ReadPalmLayout(bytes).records.size()) + " records\n";
    Print(out);
    return problems.empty() ? kExitDone : kExitProblem;
}
