// Reading a book's source: markers, records, and UTF-8 text into Windows-1252.
#include "tools/BookSource.h"

#include <cstdio>
#include <map>

#include "platform/core/CodePage.h"
#include "platform/core/Utf8.h"

namespace
{

const std::string kMarker = "@@";
constexpr std::size_t kMaxRecords = 65535;

bool IsBlank(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

bool EncodeWindows1252(const std::string& utf8, std::string& out, long& badCharacter)
{
    // The code page's characters, from the device's own table.
    static const std::map<long, char> kBytes = [] {
        std::map<long, char> bytes;
        for (int b = 1; b < 256; ++b)
            bytes[static_cast<long>(WideCharFromAnsi(static_cast<BYTE>(b)))] = static_cast<char>(b);
        return bytes;
    }();
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const long c = DecodeUtf8(utf8, i);
        const auto found = kBytes.find(c);
        if (found == kBytes.end()) {
            badCharacter = c;
            return false;
        }
        out += found->second;
    }
    return true;
}

bool ParseBookSource(const std::string& utf8Source, std::vector<std::string>& records, BookSourceError& error)
{
    records.clear();
    std::vector<std::vector<std::string>> lines;
    int lineNumber = 0;
    // A byte-order mark that some editors put first is not part of the text.
    std::size_t start = utf8Source.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < utf8Source.size()) {
        std::size_t end = utf8Source.find('\n', start);
        if (end == std::string::npos)
            end = utf8Source.size();
        std::string line = utf8Source.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, kMarker.size(), kMarker) == 0) {
            const std::string number = line.substr(kMarker.size());
            const std::string expected = std::to_string(lines.size());
            const std::size_t digits = number.find_first_not_of(' ');
            if (digits == std::string::npos || number.substr(digits) != expected) {
                error = {lineNumber, "expected the marker \"@@ " + expected + "\""};
                return false;
            }
            lines.emplace_back();
            continue;
        }
        if (lines.empty())
            continue;  // a note before the first record
        std::string encoded;
        long bad = 0;
        if (!EncodeWindows1252(line, encoded, bad)) {
            char what[96];
            if (bad < 0)
                std::snprintf(what, sizeof what, "bytes that are not UTF-8");
            else
                std::snprintf(what, sizeof what, "the character U+%04lX, which Windows-1252 cannot hold", bad);
            error = {lineNumber, what};
            return false;
        }
        lines.back().push_back(encoded);
    }
    if (lines.empty()) {
        error = {0, "no records: the source has no \"@@ 0\" marker"};
        return false;
    }
    if (lines.size() > kMaxRecords) {
        error = {0, "more than " + std::to_string(kMaxRecords) + " records, which a book cannot hold"};
        return false;
    }
    for (std::vector<std::string>& record : lines) {
        while (!record.empty() && IsBlank(record.back()))
            record.pop_back();
        std::size_t first = 0;
        while (first < record.size() && IsBlank(record[first]))
            ++first;
        std::string text;
        for (std::size_t i = first; i < record.size(); ++i)
            text += (i > first ? "\n" : "") + record[i];
        records.push_back(text);
    }
    return true;
}
