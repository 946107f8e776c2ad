// The hash of a program's path, for the names of its units and of its lock.
#include "platform/dailystart/ProgramPathHash.h"

#include <cstdint>
#include <cstdio>

std::string ProgramPathHash(const std::string& programPath)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : programPath)
        hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}
