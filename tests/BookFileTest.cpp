// The book reader where its fuzz target does not look: descriptors, a book that comes and goes,
// and records of gigabytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
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

    ProgramFolder m_folder;
};

}  // namespace

// Damaged books are read against a model of the format by the book_reader fuzz target,
// whose seed corpus ctest replays: here, what the model does not see.
TEST_F(BookFileTest, ReadsLeaveNoDescriptorOpenAndFollowTheFile)
{
    const std::string bytes = NumberedBook();
    m_folder.Write("damaged.pdb", Patched(Patched(bytes, EntryAt(3), 0), EntryAt(9), 0xFFFFFFFF));
    const int before = OpenDescriptorCount();
    CBookFile book, bad, folder;
    EXPECT_FALSE(book.OpenBook(DevicePath().c_str()));
    EXPECT_TRUE(bad.OpenBook(DevicePath("damaged.pdb").c_str()));
    EXPECT_FALSE(folder.OpenBook(DevicePathFromHostPath(m_folder.Path()).c_str()));
    EXPECT_EQ(OpenDescriptorCount(), before);

    // A book that appears after a failed open is read without opening it again.
    const auto write = [&] { m_folder.Write(kBook, bytes); };
    const auto remove = [&] { m_folder.Remove(kBook); };
    const struct {
        const char* name;
        CBookFile* book;
        int index;
        const wchar_t* text;
        std::function<void()> before = nullptr;
    } reads[] = {
        {"no book yet", &book, 1, L""},   {"book put in place", &book, 1, L"v1", write},
        {"last", &book, 365, L"v365"},    {"INT_MAX", &book, INT_MAX, L""},
        {"INT_MIN", &book, INT_MIN, L""}, {"offset 0", &bad, 3, L""},
        {"next offset 0", &bad, 2, L""},  {"offset 0xFFFFFFFF", &bad, 9, L""},
        {"a folder", &folder, 1, L""},    {"book removed", &book, 1, L"", remove},
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(r.name);
        if (r.before)
            r.before();
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
