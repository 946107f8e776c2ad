// The running program's own path, read from /proc, in the device's form.
#include "platform/core/ModulePath.h"

#include <unistd.h>

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/core/Paths.h"

namespace
{

std::string g_modulePathForTesting;

std::string ExecutablePath()
{
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

// The path the program was started from, read as it starts: once its file is replaced (a
// package upgrade renames a new one over it) or removed, the kernel names the old file
// "… (deleted)", which no start can be registered for.
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
    return std::exchange(g_modulePathForTesting, std::move(hostPath));
}
