// Fuzz target: the book source parser on any text. What it accepts holds no zero byte
// (which would end a reading early) and no blank first or last line, and written out
// again as a source it parses to the same records.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/CodePage.h"
#include "platform/core/Utf8.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/BookSource.h"

namespace
{

// The records as a source again: each Windows-1252 byte as UTF-8, every line ended by
// CR LF, so that a carriage return that ends a line of the text survives.
std::string SourceOf(const std::vector<std::string>& records)
{
    std::string source = "A source written out again.\r\n";
    for (std::size_t k = 0; k < records.size(); ++k) {
        source += "@@ " + std::to_string(k) + "\r\n";
        for (const char c : records[k]) {
            if (c == '\n')
                source += '\r';
            AppendUtf8(source, static_cast<unsigned long>(WideCharFromAnsi(static_cast<BYTE>(c))));
        }
        if (!records[k].empty())
            source += "\r\n";
    }
    return source;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string source(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> records;
    BookSourceError error;
    if (!ParseBookSource(source, records, error)) {
        const long lines = std::count(source.begin(), source.end(), '\n') + 1;
        FUZZ_CHECK(!error.message.empty());
        FUZZ_CHECK(error.line >= 0 && error.line <= lines);
        return 0;
    }
    FUZZ_CHECK(!records.empty() && records.size() <= 65535);
    for (const std::string& record : records) {
        FUZZ_CHECK(record.find('\0') == std::string::npos);
        const auto blank = [](const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; };
        if (!record.empty())
            FUZZ_CHECK(!blank(record.substr(0, record.find('\n'))) && !blank(record.substr(record.rfind('\n') + 1)));
    }
    std::vector<std::string> again;
    FUZZ_CHECK(ParseBookSource(SourceOf(records), again, error));
    FUZZ_CHECK(again == records);
    return 0;
}
