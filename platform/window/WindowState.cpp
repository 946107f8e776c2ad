// The windows' state file: "zoom N", "size ID WIDTH HEIGHT" and "maximized ID" lines, read
// with care. A maximized line follows its size line, which older files have alone.
#include "platform/window/WindowState.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/core/FileReplacement.h"
#include "platform/core/ProgramFiles.h"
#include "platform/core/RegularFile.h"

namespace
{

// A few lines; anything larger is no state file of ours.
constexpr off_t kMaxFileSize = 4096;
// No window is larger than this, whatever a file says; the screen limits it further.
constexpr int kMaxSide = 100000;

std::string StateFile()
{
    const std::string folder = UserStateFolder();
    return folder.empty() ? folder : folder + "/windows";
}

std::string ReadSmallFile(const std::string& path)
{
    const int fd = path.empty() ? -1 : OpenRegularFile(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    std::string bytes;
    struct stat info {
    };
    if (::fstat(fd, &info) == 0 && info.st_size <= kMaxFileSize) {
        bytes.resize(static_cast<size_t>(kMaxFileSize) + 1);
        const ssize_t got = ::read(fd, bytes.data(), bytes.size());
        // A file that grew past the limit since is not read either.
        bytes.resize(got > 0 && got <= kMaxFileSize ? static_cast<size_t>(got) : 0);
    }
    ::close(fd);
    return bytes;
}

// A line read as the C++ streams read words and numbers, without the locale they would load,
// which would cost the start a quarter of a megabyte.
class LineReader
{
public:
    explicit LineReader(const std::string& line) : m_line(line) {}

    std::string Word()
    {
        Skip();
        const size_t start = m_at;
        m_at = std::min(m_line.find_first_of(kSpace, m_at), m_line.size());
        return m_line.substr(start, m_at - start);
    }

    // A decimal number, its sign optional, up to the first character that is not a digit. One
    // larger than any the file may hold is read as a bound that no check lets through.
    bool Number(long& value)
    {
        constexpr long kBound = 100000000;
        Skip();
        const bool negative = m_at < m_line.size() && m_line[m_at] == '-';
        if (m_at < m_line.size() && (m_line[m_at] == '-' || m_line[m_at] == '+'))
            ++m_at;
        const size_t digits = m_at;
        long magnitude = 0;
        for (; m_at < m_line.size() && m_line[m_at] >= '0' && m_line[m_at] <= '9'; ++m_at)
            magnitude = std::min(magnitude * 10 + (m_line[m_at] - '0'), kBound);
        value = negative ? -magnitude : magnitude;
        return m_at > digits;
    }

    bool AtEnd()
    {
        Skip();
        return m_at == m_line.size();
    }

private:
    static constexpr const char* kSpace = " \t\n\v\f\r";  // the C locale's white space

    void Skip() { m_at = std::min(m_line.find_first_not_of(kSpace, m_at), m_line.size()); }

    const std::string& m_line;
    size_t m_at = 0;
};

// The state is kept only in a file of its own, or in a new one: a link (perhaps to a file
// of the user's) or anything the reader refuses is left as it is, and the state not kept.
bool MayReplace(const std::string& path)
{
    struct stat info {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) && info.st_size <= kMaxFileSize;
}

WindowState Parse(const std::string& bytes)
{
    WindowState state;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = std::min(bytes.find('\n', start), bytes.size());
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        LineReader words(line);
        const std::string key = words.Word();
        long a = 0, b = 0, c = 0;
        if (key == "zoom" && words.Number(a) && words.AtEnd() && a >= WindowState::kMinZoom &&
            a <= WindowState::kMaxZoom)
            state.zoom = static_cast<int>(a);
        else if (key == "size" && words.Number(a) && words.Number(b) && words.Number(c) && words.AtEnd() && a >= 0 &&
                 a <= 0xFFFF && b > 0 && b <= kMaxSide && c > 0 && c <= kMaxSide)
            state.sizes[static_cast<int>(a)] = {static_cast<int>(b), static_cast<int>(c)};
        else if (key == "maximized" && words.Number(a) && words.AtEnd() && state.sizes.count(static_cast<int>(a)) > 0)
            state.sizes[static_cast<int>(a)].maximized = true;
    }
    return state;
}

}  // namespace

WindowState LoadWindowState()
{
    return Parse(ReadSmallFile(StateFile()));
}

void SaveWindowState(const WindowState& state)
{
    const std::string path = StateFile();
    if (path.empty() || !MayReplace(path))
        return;
    std::string text = "zoom " + std::to_string(state.zoom) + "\n";
    for (const auto& [id, size] : state.sizes) {
        text +=
            "size " + std::to_string(id) + " " + std::to_string(size.width) + " " + std::to_string(size.height) + "\n";
        if (size.maximized)
            text += "maximized " + std::to_string(id) + "\n";
    }
    MakeUserFolders(UserStateFolder());
    FileReplacement file;
    if (file.Begin(path, FileReplacement::InPlace::Never))
        file.Commit(text);
    file.End();
}

void RememberZoom(int zoom)
{
    WindowState state = LoadWindowState();
    state.zoom = zoom;
    SaveWindowState(state);
}

void RememberSize(int templateId, int width, int height, bool maximized)
{
    WindowState state = LoadWindowState();
    state.sizes[templateId] = {width, height, maximized};
    SaveWindowState(state);
}
