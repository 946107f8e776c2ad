// Fuzz target: the book reader on files of any bytes, against a model of the book format
// written from the format alone, over many record indexes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/CodePage.h"
#include "platform/core/Paths.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{

// The book format as the reader must see it: big-endian numbers, header bytes past the
// end of the file counting as zero.
std::uint32_t Number(const std::string& bytes, std::uint64_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | (at + i < bytes.size() ? static_cast<unsigned char>(bytes[at + i]) : 0u);
    return value;
}

// A record runs from its offset to the next record's, or to the file's end for the last;
// its text ends at a zero byte, the file's end or the reader's limit.
std::wstring Text(const std::string& bytes, int index)
{
    const unsigned count = Number(bytes, 76, 2);
    const auto offset = [&](std::uint64_t i) { return Number(bytes, 78 + 8 * i, 4); };
    if (index < 0 || static_cast<unsigned>(index) >= count || offset(index) == 0)
        return std::wstring();
    const std::uint64_t start = offset(index);
    const std::uint64_t end =
        std::min<std::uint64_t>({static_cast<unsigned>(index) + 1 < count ? offset(index + 1) : bytes.size(),
                                 bytes.size(), start + CBookFile::kMaxRecordText});
    std::wstring text;
    for (std::uint64_t at = start; at < end && bytes[at] != '\0'; ++at)
        text += (bytes[at] == '\n' ? L"\r" : L"") + std::wstring(1, WideCharFromAnsi(static_cast<BYTE>(bytes[at])));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The book lies in memory, in a file of its own that the reader opens by its path.
    static const int fd = ::memfd_create("book", MFD_CLOEXEC);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(fd >= 0 && ::ftruncate(fd, 0) == 0);
    FUZZ_CHECK(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    const std::wstring path = DevicePathFromHostPath("/proc/self/fd/" + std::to_string(fd));

    // Every read closes what it opened.
    const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    CBookFile book;
    FUZZ_CHECK(book.OpenBook(path.c_str()));
    FUZZ_CHECK(book.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    const int count = static_cast<int>(Number(bytes, 76, 2));
    FUZZ_CHECK(static_cast<int>(book.GetRecordCount()) == count);
    book.Close();

    // The first records, the last ones, either side of the count, the verses' range and
    // its ends, and two picked by the input itself.
    std::vector<int> indexes{0, 1, 2, 3, 7, -1, INT_MIN, INT_MAX, 365, 366, count - 2, count - 1, count, count + 1};
    if (size >= 2)
        indexes.push_back(data[size - 2] << 8 | data[size - 1]);
    if (size >= 1)
        indexes.push_back(data[0] % std::max(count, 1));
    for (const int index : indexes)
        FUZZ_CHECK(book.ReadRecordText(index).Str() == Text(bytes, index));
    FUZZ_CHECK(!book.IsOpen() && descriptors() == before);
    return 0;
}
