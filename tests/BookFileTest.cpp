// The book reader where its fuzz target does not look: records of gigabytes. Damaged books
// and any index, and the descriptors the reads leave, are the book_reader fuzz target's.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/Paths.h"
#include "platform/testing/TestEnvironment.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::string kBook = "solmiraverse.pdb";

// The book is always the program's own, in the test's program folder.
class BookFileTest : public ::testing::Test
{
protected:
    ProgramFolder m_folder;
    const std::wstring m_book = DevicePathFromHostPath(m_folder.PathOf(kBook));
};

}  // namespace

// What a record costs is bounded by the longest text shown, whatever its header claims, and
// a record longer than that is cut, never narrowed into a length that overflows.
TEST_F(BookFileTest, HugeRecordsCostWhatTheyHold)
{
    constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;
    // Record 1 runs to the end of the file: what follows "T" in the header's book. The file is
    // sparse past its letters, so a record of gigabytes takes no room on the disk.
    const std::string header = BuildPalmDatabase("T", {"title", "T"});
    const std::wstring limit(CBookFile::kMaxRecordText, L'A');
    const struct {
        const char* name;
        std::uint64_t size, letters;  // past "T": the bytes, the first letters of them "A" and the rest holes
        std::wstring text;
    } cases[] = {
        {"2 GiB claimed, one letter held", kTwoGiB, 0, L"T"},
        {"one byte past the limit", CBookFile::kMaxRecordText, CBookFile::kMaxRecordText, L"T" + limit.substr(1)},
        // No zero byte within what the reader may read: a length narrowed to 32 bits would show nothing.
        {"2 GiB with letters up to the limit", kTwoGiB + 1, CBookFile::kMaxRecordText, L"T" + limit.substr(1)},
    };
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const long before = usage.ru_maxrss;  // the largest the process has been, in KiB
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.Write(kBook, header + std::string(c.letters, 'A'));
        std::filesystem::resize_file(m_folder.PathOf(kBook), header.size() + c.size);
        CBookFile book;
        ASSERT_TRUE(book.OpenBook(m_book.c_str()));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(book.ReadRecordText(1).Str(), c.text);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        ::getrusage(RUSAGE_SELF, &usage);
        EXPECT_LT(usage.ru_maxrss - before, 100 * 1024) << "KiB more than before the first";
    }
}
