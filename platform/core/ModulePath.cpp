// The running program's own path, as the kernel tells it at the start, in the device's form.
#include "platform/core/ModulePath.h"

#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"

namespace
{

std::string g_modulePathForTesting;

std::string LinkTarget(const char* path)
{
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink(path, buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

// The path the program was started from. The kernel names the running file, but once that
// file is replaced (a package upgrade renames a new one over it) or removed it names the
// old file "… (deleted)", which no start can be registered for, and an upgrade may come
// before any code of the program runs, while the loader still loads its libraries. Then
// the name the kernel keeps of the start (AT_EXECFN) gives the path, resolved as it is now.
std::string ExecutablePath()
{
    const std::string running = LinkTarget("/proc/self/exe");
    struct stat file {
    };
    struct stat named {
    };
    if (::stat("/proc/self/exe", &file) == 0 && ::stat(running.c_str(), &named) == 0 && file.st_dev == named.st_dev &&
        file.st_ino == named.st_ino)
        return running;
    const char* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    char* resolved = started != nullptr ? ::realpath(started, nullptr) : nullptr;
    const std::string path = resolved != nullptr ? resolved : running;
    std::free(resolved);
    return path;
}

// Read as the program starts, before anything can change the working folder.
const std::string& StartPath()
{
    static const std::string path = ExecutablePath();
    return path;
}
[[maybe_unused]] const bool g_startPathTaken = !StartPath().empty();

}  // namespace

std::string ModuleHostPath()
{
    return g_modulePathForTesting.empty() ? StartPath() : g_modulePathForTesting;
}

DWORD GetModuleFileName(HINSTANCE /*module*/, LPTSTR buffer, DWORD size)
{
    if (buffer == nullptr || size == 0)
        return 0;
    const std::wstring path = DevicePathFromHostPath(ModuleHostPath());
    const size_t length = std::min(path.size(), static_cast<size_t>(size) - 1);
    std::wmemcpy(buffer, path.data(), length);
    buffer[length] = L'\0';
    return static_cast<DWORD>(length);
}

std::string SetModulePathForTesting(std::string hostPath)
{
    ForgetProgramFolderAccess();
    return std::exchange(g_modulePathForTesting, std::move(hostPath));
}
