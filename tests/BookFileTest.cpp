// The book reader against sound and damaged books: header fields, records, code page, descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/Paths.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::string kBook = "solmiraverse.pdb";

// A book whose record k holds "vk".
std::string NumberedBook(int count = 366)
{
    std::vector<std::string> records;
    for (int k = 0; k < count; ++k)
        records.push_back("v" + std::to_string(k));
    return BuildPalmDatabase("Test", records);
}

class BookFileTest : public ::testing::Test
{
protected:
    std::wstring DevicePath(const std::string& name = kBook) const
    {
        return DevicePathFromHostPath(m_folder.PathOf(name));
    }

    std::wstring ReadFrom(const std::string& bytes, int index) const
    {
        m_folder.Write(kBook, bytes);
        CBookFile book;
        EXPECT_TRUE(book.OpenBook(DevicePath().c_str()));
        return book.ReadRecordText(index).Str();
    }

    ProgramFolder m_folder;
};

}  // namespace

TEST_F(BookFileTest, HeaderIsBigEndianAndZeroPastTheEnd)
{
    const std::string bytes = Patched(NumberedBook(), EntryAt(5), 0x1234);
    ASSERT_EQ(bytes.substr(76, 2), "\x01\x6E");
    const struct {
        const char* name;
        std::size_t length;
        UINT count;
        DWORD offset5;
    } cases[] = {
        {"whole file", bytes.size(), 366, 4660},
        {"cut inside entry 5", EntryAt(5) + 3, 366, 0x1200},
        {"cut after the count's first byte", 77, 256, 0},
        {"cut before the count", 76, 0, 0},
        {"cut to 50 bytes", 50, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.Write(kBook, bytes.substr(0, c.length));
        CBookFile book;
        ASSERT_TRUE(book.Open(DevicePath().c_str(), CFile::modeRead | CFile::typeBinary));
        EXPECT_EQ(book.GetRecordCount(), c.count);
        EXPECT_EQ(book.GetRecordOffset(5), c.offset5);
    }
}

TEST_F(BookFileTest, DamagedBooksGiveOnlyWhatTheyHold)
{
    const std::string book = NumberedBook();
    const auto length = static_cast<std::uint32_t>(book.size());
    const auto patched = [&](int index, std::uint32_t offset, std::uint32_t count = 366) {
        return Patched(Patched(book, EntryAt(index), offset), 76, count, 2);
    };
    const auto cut = [&](std::size_t size) { return book.substr(0, size); };
    const auto single = [](const std::string& text, std::uint32_t count = 2) {
        return Patched(BuildPalmDatabase("T", {"title", text}), 76, count, 2);
    };
    const std::uint32_t at2 = OffsetOf(book, 2), at10 = OffsetOf(book, 10);

    const struct {
        const char* name;
        std::string bytes;
        int index;
        std::wstring text;
    } cases[] = {
        {"last record runs to the end", book, 365, L"v365"},
        {"index equal to the count", book, 366, L""},
        {"negative index", book, -1, L""},
        {"line feed widened", single("A\nB"), 1, L"A\r\nB"},
        {"CR LF gains a CR", single("A\r\nB"), 1, L"A\r\r\nB"},
        {"text ends at a zero byte", single(std::string("Hi\0X", 4)), 1, L"Hi"},
        {"no zero byte: every byte", single("Hi X"), 1, L"Hi X"},
        {"equal offsets: empty record", patched(1, at2), 1, L""},
        {"equal offsets: the record before runs on", patched(1, at2), 0, L"v0v1"},
        {"offset 0", patched(3, 0), 3, L""},
        {"offset 0 ends the record before it", patched(3, 0), 2, L""},
        {"offset 0 under a count of 0xFFFF", patched(3, 0, 0xFFFF), 3, L""},
        {"cut to 50 bytes", cut(50), 1, L""},
        {"cut to 77 bytes", cut(77), 1, L""},
        {"cut in the record list", cut(EntryAt(100) + 2), 1, L""},
        {"cut inside a record", cut(OffsetOf(book, 200) + 2), 200, L"v2"},
        {"cut inside the last record", cut(book.size() - 2), 365, L"v3"},
        {"decreasing offsets: ends before it starts", patched(11, at10 - 1), 10, L""},
        {"decreasing offsets: the next starts early", patched(11, at10 - 1), 11, L"9v10v11"},
        {"offset past the end", patched(5, length + 100), 5, L""},
        {"record before a past-end offset stops at the end", patched(5, length + 100), 4,
         std::wstring(book.begin() + OffsetOf(book, 4), book.end())},
        {"last offset at the end", patched(365, length), 365, L""},
        {"last offset past the end", patched(365, length + 1), 365, L""},
        {"offset 0xFFFFFFFF", patched(5, 0xFFFFFFFF), 5, L""},
        {"count 0xFFFF in a short file: real record", single("abc", 0xFFFF), 1, L"abc"},
        {"count 0xFFFF in a short file: far record", single("abc", 0xFFFF), 65534, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadFrom(c.bytes, c.index), c.text);
    }
}

TEST_F(BookFileTest, EveryByteWidensToItsWindows1252Character)
{
    // Only 0x80-0x9F differ from Latin-1; the five bytes the code page leaves undefined
    // stay the C1 controls of the same value.
    const wchar_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::string record;
    std::wstring expected;
    for (int b = 1; b < 256; ++b) {
        record += static_cast<char>(b);
        expected += b == '\n' ? std::wstring(L"\r\n")
                              : std::wstring(1, b >= 0x80 && b <= 0x9F ? high[b - 0x80] : static_cast<wchar_t>(b));
    }
    EXPECT_EQ(ReadFrom(BuildPalmDatabase("T", {"", record}), 1), expected);
}

TEST_F(BookFileTest, BookThatAppearsLaterIsReadWithoutOpeningAgain)
{
    CBookFile book;
    EXPECT_FALSE(book.OpenBook(DevicePath().c_str()));
    for (int index : {0, 1, 365})
        EXPECT_EQ(book.ReadRecordText(index).Str(), L"") << index;
    m_folder.Write(kBook, NumberedBook());
    EXPECT_EQ(book.ReadRecordText(1).Str(), L"v1");
    m_folder.Remove(kBook);
    EXPECT_EQ(book.ReadRecordText(1).Str(), L"");
}

TEST_F(BookFileTest, ReadsRepeatAndLeaveNoDescriptorOpen)
{
    const std::string bytes = NumberedBook();
    m_folder.Write(kBook, bytes);
    m_folder.Write("damaged.pdb", Patched(Patched(Patched(bytes, EntryAt(3), 0), EntryAt(6), OffsetOf(bytes, 7)),
                                          EntryAt(9), 0xFFFFFFFF));
    const int before = OpenDescriptorCount();
    CBookFile book, bad, missing, folder;
    EXPECT_TRUE(book.OpenBook(DevicePath().c_str()));
    EXPECT_TRUE(bad.OpenBook(DevicePath("damaged.pdb").c_str()));
    EXPECT_FALSE(missing.OpenBook(DevicePath("none.pdb").c_str()));
    EXPECT_FALSE(folder.OpenBook(DevicePathFromHostPath(m_folder.Path()).c_str()));
    EXPECT_EQ(OpenDescriptorCount(), before);

    const struct {
        const char* name;
        CBookFile* book;
        int index;
        const wchar_t* text;
    } reads[] = {
        {"first", &book, 1, L"v1"},       {"last", &book, 365, L"v365"},   {"first again", &book, 1, L"v1"},
        {"-1", &book, -1, L""},           {"count", &book, 366, L""},      {"INT_MAX", &book, INT_MAX, L""},
        {"INT_MIN", &book, INT_MIN, L""}, {"title", &book, 0, L"v0"},      {"offset 0", &bad, 3, L""},
        {"next offset 0", &bad, 2, L""},  {"equal offsets", &bad, 6, L""}, {"offset 0xFFFFFFFF", &bad, 9, L""},
        {"no book", &missing, 1, L""},    {"a folder", &folder, 1, L""},
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.book->ReadRecordText(r.index).Str(), r.text);
        EXPECT_EQ(OpenDescriptorCount(), before);
        EXPECT_FALSE(r.book->IsOpen());
    }
}

// The largest the process has been, in KiB.
long PeakMemory()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// What a record costs follows its text, whatever its header claims, and a record longer
// than the text box is given is cut, never narrowed into a length that overflows.
TEST_F(BookFileTest, HugeRecordsCostWhatTheyHold)
{
    constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;
    struct statvfs disk {
    };
    if (::statvfs(m_folder.Path().c_str(), &disk) != 0 || disk.f_bavail * disk.f_frsize < 3 * kTwoGiB)
        GTEST_SKIP() << "the temporary folder has no room for a record of 2 GiB";
    // Record 1 runs to the end of the file: what follows "T" in the header's book.
    const std::string header = BuildPalmDatabase("T", {"title", "T"});
    const std::string chunk(1 << 20, 'A');
    const std::wstring limit(CBookFile::kMaxRecordText, L'A');
    // Record 1 grown by size bytes, the first letters of them "A" and the rest zero.
    const auto grown = [&](std::uint64_t size, std::uint64_t letters) {
        const int fd = ::open(m_folder.PathOf(kBook).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(::write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
        for (std::uint64_t at = 0; at < letters; at += chunk.size())
            EXPECT_EQ(::pwrite(fd, chunk.data(), chunk.size(), static_cast<off_t>(header.size() + at)),
                      static_cast<ssize_t>(chunk.size()));
        EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(header.size() + letters)), 0);
        EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(header.size() + size)), 0);
        ::close(fd);
    };
    const DWORD step = 64 << 10;  // what the reader reads at a time
    const struct {
        const char* name;
        std::uint64_t size, letters;  // past "T"
        std::wstring text;
    } cases[] = {
        {"2 GiB claimed, one letter held", kTwoGiB, 0, L"T"},
        {"one byte past the limit", CBookFile::kMaxRecordText, CBookFile::kMaxRecordText, L"T" + limit.substr(1)},
        {"3 MiB of letters", 3 << 20, 3 << 20, L"T" + limit.substr(1)},
        {"2 GiB of letters and no zero byte", kTwoGiB + 1, kTwoGiB + 1, L"T" + limit.substr(1)},
        {"just under the limit", CBookFile::kMaxRecordText - 2, CBookFile::kMaxRecordText - 2, L"T" + limit.substr(2)},
        {"the text fills the first step exactly", 2 << 20, step - 1, L"T" + limit.substr(0, step - 1)},
        {"the text runs one byte into the second step", 2 << 20, step, L"T" + limit.substr(0, step)},
    };
    const long before = PeakMemory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        grown(c.size, c.letters);
        CBookFile book;
        ASSERT_TRUE(book.OpenBook(DevicePath().c_str()));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(book.ReadRecordText(1).Str(), c.text);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_LT(PeakMemory() - before, 100 * 1024) << "KiB more than before the first";
        m_folder.Remove(kBook);
    }
}
