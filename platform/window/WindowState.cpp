// The windows' state file: "zoom N" and "size ID WIDTH HEIGHT" lines, read with care.
#include "platform/window/WindowState.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <sstream>
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
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        long a = 0, b = 0, c = 0;
        std::string rest;
        words >> key;
        if (key == "zoom" && words >> a && !(words >> rest) && a >= WindowState::kMinZoom && a <= WindowState::kMaxZoom)
            state.zoom = static_cast<int>(a);
        else if (key == "size" && words >> a >> b >> c && !(words >> rest) && a >= 0 && a <= 0xFFFF && b > 0 &&
                 b <= kMaxSide && c > 0 && c <= kMaxSide)
            state.sizes[static_cast<int>(a)] = {static_cast<int>(b), static_cast<int>(c)};
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
    for (const auto& [id, size] : state.sizes)
        text +=
            "size " + std::to_string(id) + " " + std::to_string(size.width) + " " + std::to_string(size.height) + "\n";
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

void RememberSize(int templateId, int width, int height)
{
    WindowState state = LoadWindowState();
    state.sizes[templateId] = {width, height};
    SaveWindowState(state);
}
