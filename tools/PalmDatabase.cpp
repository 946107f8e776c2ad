// Writing Palm databases, and reading and checking their layout as the program reads it.
#include "tools/PalmDatabase.h"

#include <algorithm>
#include <cstdint>

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
    layout.headerLength = kHeaderSize + kEntrySize * count;
    layout.records.reserve(count);
    // The reader never reads past the end of the file; a file longer than an offset can
    // reach is taken to the largest offset.
    const std::uint32_t length = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes.size(), UINT32_MAX));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t offset = GetBigEndian(bytes, kHeaderSize + kEntrySize * i, 4);
        const std::uint32_t end = i + 1 < count ? GetBigEndian(bytes, kHeaderSize + kEntrySize * (i + 1), 4) : length;
        const std::uint32_t within = std::min(end, length);
        layout.records.push_back({offset, end, offset != 0 && within > offset ? within - offset : 0});
    }
    return layout;
}

std::string RecordFault(const PalmLayout& layout, std::size_t index)
{
    const RecordEntry& record = layout.records.at(index);
    const std::string name = "record " + std::to_string(index);
    if (kHeaderSize + kEntrySize * index + 4 > layout.fileLength)
        return name + "'s entry lies past the end of the file (" + std::to_string(layout.fileLength) + " bytes)";
    if (record.offset == 0)
        return name + " has no data (offset 0)";
    if (record.offset > layout.fileLength)
        return name + " starts past the end of the file (offset " + std::to_string(record.offset) + ")";
    if (record.offset < layout.headerLength)
        return name + " starts inside the header (offset " + std::to_string(record.offset) + ")";
    if (record.end < record.offset)
        return name + " ends before it starts (the next record's offset is smaller)";
    return std::string();
}

std::vector<std::string> CheckBook(const std::string& bytes)
{
    std::vector<std::string> problems;
    const PalmLayout layout = ReadPalmLayout(bytes);
    const std::size_t count = layout.records.size();
    const bool headerCut = bytes.size() < layout.headerLength;
    if (headerCut)
        problems.push_back("the file ends inside its header (" + std::to_string(bytes.size()) + " bytes)");
    if (count < kLastVerse + 1)
        problems.push_back("it has " + std::to_string(count) + " records; a book needs at least " +
                           std::to_string(kLastVerse + 1));
    for (std::size_t i = 0; i < count; ++i) {
        const RecordEntry& record = layout.records[i];
        std::string problem = RecordFault(layout, i);
        // A cut header is told once above; its records that lie past the cut are not
        // told again one by one.
        if (headerCut && problem.find("'s entry lies past") != std::string::npos)
            problem.clear();
        else if (problem.empty() && i >= kFirstVerse && i <= kLastVerse &&
                 (record.size == 0 || bytes[record.offset] == '\0'))
            problem = "record " + std::to_string(i) + " is an empty reading";
        if (!problem.empty())
            problems.push_back(problem);
    }
    return problems;
}
