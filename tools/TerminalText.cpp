// Fitting a reading to a terminal: its width, its line ends and its words.
#include "tools/TerminalText.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace
{

// Appends one line, broken between words where it is longer than width.
void AppendWrapped(std::wstring& out, const std::wstring& line, std::size_t width)
{
    if (line.size() <= width) {
        out += line;
        return;
    }
    std::size_t column = 0;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t start = line.find_first_not_of(L' ', at);
        if (start == std::wstring::npos)
            break;
        std::size_t end = line.find(L' ', start);
        if (end == std::wstring::npos)
            end = line.size();
        const std::size_t length = end - start;
        if (column > 0 && column + 1 + length > width) {
            out += L'\n';
            column = 0;
        } else if (column > 0) {
            out += L' ';
            ++column;
        }
        out.append(line, start, length);
        column += length;
        at = end;
    }
}

}  // namespace

bool IsTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

int TerminalWidth(int fd)
{
    winsize size{};
    int columns = 0;
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        columns = size.ws_col;
    } else if (const char* text = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        columns = end != text && *end == '\0' && value > 0 ? static_cast<int>(std::min<long>(value, INT16_MAX)) : 0;
    }
    return columns > 0 ? std::min(columns, kWidestTerminalText) : kWidestTerminalText;
}

std::wstring WithLineFeeds(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r') {
            out += text[i];
            continue;
        }
        // "\r\r\n" and "\r\n" are one line end with their line feed, as is a lone "\r".
        if (text.compare(i, 3, L"\r\r\n") == 0)
            i += 2;
        else if (text.compare(i, 2, L"\r\n") == 0)
            i += 1;
        out += L'\n';
    }
    return out;
}

std::wstring WrappedWords(const std::wstring& text, int width)
{
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        AppendWrapped(out, text.substr(start, end - start), static_cast<std::size_t>(std::max(width, 1)));
        if (end < text.size())
            out += L'\n';
        start = end + 1;
    }
    return out;
}

std::wstring WithVisibleControls(const std::wstring& text)
{
    std::wstring out = text;
    for (wchar_t& c : out)
        if ((c < 0x20 && c != L'\t' && c != L'\n') || (c >= 0x7F && c < 0xA0))
            c = 0xFFFD;
    return out;
}
