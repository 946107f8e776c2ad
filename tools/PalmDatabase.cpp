// Writing Palm databases, and reading and checking their layout as the program reads it.
#include "tools/PalmDatabase.h"

#include <algorithm>

namespace
{

constexpr std::size_t kHeaderSize = 78;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kMaxRecords = 65535;

void PutBigEndian(std::string& out, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<char>((value >> (8 * (bytes - 1 - i))) & 0xFF);
}

std::uint32_t GetBigEndian(const std::string& in, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | (at + i < in.size() ? static_cast<unsigned char>(in[at + i]) : 0u);
    return value;
}

}  // namespace

std::string BuildPalmDatabase(const std::string& name, const std::vector<std::string>& records)
{
    const std::size_t count = std::min(records.size(), kMaxRecords);
    std::string out(kHeaderSize + kEntrySize * count + 2, '\0');
    out.replace(0, std::min(name.size(), kNameSize - 1), name, 0, kNameSize - 1);
    PutBigEndian(out, 34, 1, 2);  // version
    out.replace(60, 4, "TEXt");   // type
    out.replace(64, 4, "SlmR");   // creator
    PutBigEndian(out, 76, static_cast<std::uint32_t>(count), 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderSize + kEntrySize * i;
        PutBigEndian(out, entry, static_cast<std::uint32_t>(out.size()), 4);
        PutBigEndian(out, entry + 5, static_cast<std::uint32_t>(i + 1), 3);  // unique id
        out += records[i];
    }
    return out;
}

PalmLayout ReadPalmLayout(const std::string& bytes)
{
    PalmLayout layout;
    layout.fileLength = bytes.size();
    const std::uint32_t count = GetBigEndian(bytes, 76, 2);
    layout.records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t offset = GetBigEndian(bytes, kHeaderSize + kEntrySize * i, 4);
        const std::int64_t end =
            i + 1 < count ? GetBigEndian(bytes, kHeaderSize + kEntrySize * (i + 1), 4) : std::int64_t(bytes.size());
        layout.records.push_back({offset, end - std::int64_t{offset}});
    }
    return layout;
}

std::vector<std::string> CheckBook(const std::string& bytes)
{
    std::vector<std::string> problems;
    const PalmLayout layout = ReadPalmLayout(bytes);
    const std::size_t count = layout.records.size();
    if (bytes.size() < kHeaderSize + kEntrySize * count)
        problems.push_back("the file ends inside its header (" + std::to_string(bytes.size()) + " bytes)");
    if (count < kLastVerse + 1)
        problems.push_back("it has " + std::to_string(count) + " records; a book needs at least " +
                           std::to_string(kLastVerse + 1));
    const std::uint64_t dataStart = kHeaderSize + kEntrySize * count;
    for (std::size_t i = 0; i < count; ++i) {
        const RecordEntry& record = layout.records[i];
        const std::string name = "record " + std::to_string(i);
        std::string problem;
        if (record.offset == 0)
            problem = name + " has no data (offset 0)";
        else if (record.offset < dataStart)
            problem = name + " starts inside the header (offset " + std::to_string(record.offset) + ")";
        else if (record.offset > layout.fileLength)
            problem = name + " starts past the end of the file (offset " + std::to_string(record.offset) + ")";
        else if (record.size < 0)
            problem = name + " ends before it starts (the next record's offset is smaller)";
        else if (i >= kFirstVerse && i <= kLastVerse &&
                 (record.size == 0 || record.offset == layout.fileLength || bytes[record.offset] == '\0'))
            problem = name + " is an empty reading";
        if (!problem.empty())
            problems.push_back(problem);
    }
    return problems;
}
