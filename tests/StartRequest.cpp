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
#include "platform/core/StartAtTime.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    std::wstring program = DevicePathFromHostPath(argv[2]);
    if (std::string(argv[2]).rfind("self", 0) == 0) {
        const std::string own = ModuleHostPath();
        std::error_code error;
        const std::string copy = own + ".new-" + std::to_string(::getpid());
        if (std::string(argv[2]) == "self-upgraded" &&
            (!std::filesystem::copy_file(own, copy, error) || std::rename(copy.c_str(), own.c_str()) != 0))
            return 3;
        std::vector<TCHAR> path(MAX_PATH);
        GetModuleFileName(nullptr, path.data(), MAX_PATH);
        program = path.data();
    }
    SYSTEMTIME time{};
    time.wYear = 2099;
    time.wMonth = 12;
    time.wDay = 10;
    time.wHour = 7;
    time.wMinute = 30;
    if (argc == 4) {
        const std::time_t instant = std::time(nullptr) + std::atoi(argv[3]);
        std::tm local{};
        localtime_r(&instant, &local);
        time = {WORD(local.tm_year + 1900), WORD(local.tm_mon + 1), 0, WORD(local.tm_mday), WORD(local.tm_hour),
                WORD(local.tm_min),         WORD(local.tm_sec),     0};
    }
    const bool cancel = std::string(argv[1]) == "cancel";
    return CeRunAppAtTime(program.c_str(), cancel ? nullptr : &time) ? 0 : 1;
}
