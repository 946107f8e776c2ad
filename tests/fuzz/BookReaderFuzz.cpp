// Fuzz target: the book reader on files of any bytes, against a model of the book format
// written from the format alone, over many record indexes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
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
class BookModel
{
public:
    explicit BookModel(const std::string& bytes) : m_bytes(bytes) {}

    unsigned Count() const { return Number(76, 2); }
    std::uint32_t Offset(int index) const { return Number(78 + 8 * static_cast<std::uint64_t>(index), 4); }

    // A record runs from its offset to the next record's, or to the file's end for the
    // last; its text ends at a zero byte, the file's end or the reader's limit.
    std::wstring Text(int index) const
    {
        if (index < 0 || static_cast<unsigned>(index) >= Count() || Offset(index) == 0)
            return std::wstring();
        const std::uint64_t start = Offset(index);
        std::uint64_t end = static_cast<unsigned>(index) + 1 < Count() ? Offset(index + 1) : m_bytes.size();
        end = std::min<std::uint64_t>({end, m_bytes.size(), start + CBookFile::kMaxRecordText});
        std::wstring text;
        for (std::uint64_t at = start; at < end && m_bytes[at] != '\0'; ++at) {
            if (m_bytes[at] == '\n')
                text += L'\r';
            text += WideCharFromAnsi(static_cast<BYTE>(m_bytes[at]));
        }
        return text;
    }

private:
    std::uint32_t Number(std::uint64_t at, int width) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i)
            value = value << 8 | (at + i < m_bytes.size() ? static_cast<unsigned char>(m_bytes[at + i]) : 0u);
        return value;
    }

    const std::string& m_bytes;
};

// The book lies in memory, in a file of its own that the reader opens by its path.
int BookFile()
{
    static const int fd = ::memfd_create("book", MFD_CLOEXEC);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(BookFile() >= 0);
    FUZZ_CHECK(::ftruncate(BookFile(), 0) == 0);
    FUZZ_CHECK(::pwrite(BookFile(), bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    const std::wstring path = DevicePathFromHostPath("/proc/self/fd/" + std::to_string(BookFile()));
    const BookModel model(bytes);

    CBookFile book;
    FUZZ_CHECK(book.OpenBook(path.c_str()));
    FUZZ_CHECK(book.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    FUZZ_CHECK(book.GetRecordCount() == model.Count());
    const int count = static_cast<int>(model.Count());
    for (int index : {0, 1, count - 1, count})
        FUZZ_CHECK(book.GetRecordOffset(index) == model.Offset(index));
    book.Close();

    // The first records, the last ones, either side of the count, the verses' range and
    // its ends, and two picked by the input itself.
    std::vector<int> indexes{-1, INT_MIN, INT_MAX, 365, 366, count - 2, count - 1, count, count + 1};
    for (int index = 0; index < 8; ++index)
        indexes.push_back(index);
    if (size >= 2)
        indexes.push_back(data[size - 2] << 8 | data[size - 1]);
    if (size >= 1)
        indexes.push_back(data[0] % std::max(count, 1));
    for (const int index : indexes)
        FUZZ_CHECK(book.ReadRecordText(index).Str() == model.Text(index));
    FUZZ_CHECK(!book.IsOpen());
    return 0;
}
