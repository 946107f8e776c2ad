// A program that hands one request to the platform's start-at-time service and ends at
// once, as Solmira does when its window closes: the tests see what its end waits for.
//
//   solmira-start-request register PATH    start PATH at 07:30 on 10 December 2099
//   solmira-start-request cancel PATH      cancel the pending start of PATH
#include <string>

#include "platform/core/Paths.h"
#include "platform/core/StartAtTime.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::wstring program = DevicePathFromHostPath(argv[2]);
    SYSTEMTIME time{};
    time.wYear = 2099;
    time.wMonth = 12;
    time.wDay = 10;
    time.wHour = 7;
    time.wMinute = 30;
    const bool cancel = std::string(argv[1]) == "cancel";
    return CeRunAppAtTime(program.c_str(), cancel ? nullptr : &time) ? 0 : 1;
}
