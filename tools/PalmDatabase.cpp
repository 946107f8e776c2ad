// Writing Palm databases, laid out as the book's reader reads them.
#include "tools/PalmDatabase.h"

#include <algorithm>
#include <cstdint>

#include "book/BookFormat.h"
#include "platform/core/ByteOrder.h"

namespace
{

constexpr std::size_t kNameSize = 32;
constexpr std::size_t kMaxRecords = 65535;

}  // namespace

std::string BuildPalmDatabase(const std::string& name, const std::vector<std::string>& records)
{
    const std::size_t count = std::min(records.size(), kMaxRecords);
    std::string out(kBookHeaderSize + kBookEntrySize * count + 2, '\0');
    out.replace(0, std::min(name.size(), kNameSize - 1), name, 0, kNameSize - 1);
    PutBigEndian(&out[34], 2, 1);  // version
    out.replace(60, 4, "TEXt");    // type
    out.replace(64, 4, "SlmR");    // creator
    PutBigEndian(&out[kBookCountOffset], 2, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kBookHeaderSize + kBookEntrySize * i;
        PutBigEndian(&out[entry], 4, static_cast<std::uint32_t>(out.size()));
        PutBigEndian(&out[entry + 5], 3, static_cast<std::uint32_t>(i + 1));  // unique id
        out += records[i];
    }
    return out;
}
