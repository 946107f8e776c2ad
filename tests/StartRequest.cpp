// A program that hands one request to the platform's start-at-time service and ends at
// once, as Solmira does when its window closes: the tests see what its end waits for.
//
//   solmira-start-request register PATH    start PATH at 07:30 on 10 December 2099
//   solmira-start-request cancel PATH      cancel the pending start of PATH
//   solmira-start-request register PATH N  start PATH N seconds from now, in local time
//
// PATH "self" is the program's own path; "self-upgraded" is that path after a copy of the
// program was renamed over it, as a package upgrade does while the program runs.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"
#include "platform/dailystart/StartAtTime.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const std::string request = argv[1], path = argv[2];
    std::wstring program = DevicePathFromHostPath(path);
    if (path.rfind("self", 0) == 0) {
        const std::string own = ModuleHostPath(), copy = own + ".new-" + std::to_string(::getpid());
        if (path == "self-upgraded" &&
            (!std::filesystem::copy_file(own, copy) || std::rename(copy.c_str(), own.c_str()) != 0))
            return 3;
        std::vector<TCHAR> buffer(MAX_PATH);
        GetModuleFileName(nullptr, buffer.data(), MAX_PATH);
        program = buffer.data();
    }
    const std::time_t instant = argc == 4 ? std::time(nullptr) + std::atoi(argv[3]) : 0;
    std::tm local{};
    localtime_r(&instant, &local);
    SYSTEMTIME time{WORD(local.tm_year + 1900), WORD(local.tm_mon + 1), 0, WORD(local.tm_mday), WORD(local.tm_hour),
                    WORD(local.tm_min),         WORD(local.tm_sec),     0};
    if (argc == 3)
        time = {2099, 12, 0, 10, 7, 30, 0, 0};
    return CeRunAppAtTime(program.c_str(), request == "cancel" ? nullptr : &time) ? 0 : 1;
}
