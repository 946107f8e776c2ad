// What tests build files and dates with: whole files, a folder's files, the settings file's
// bytes and local date-times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/ByteOrder.h"
#include "platform/core/Types.h"

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names of the regular files in a folder, sorted.
inline std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The settings file's bytes: two 32-bit flags, then year, month, day of week, day, hour,
// minute, second and milliseconds, all little-endian.
inline std::string SettingsBytes(std::uint32_t bell, std::uint32_t autoRun, std::vector<int> runAt)
{
    std::string bytes(24, '\0');
    PutLittleEndian(&bytes[0], 4, bell);
    PutLittleEndian(&bytes[4], 4, autoRun);
    runAt.resize(8, 0);
    for (std::size_t i = 0; i < runAt.size(); ++i)
        PutLittleEndian(&bytes[8 + 2 * i], 2, static_cast<std::uint32_t>(runAt[i]));
    return bytes;
}

// A local date-time; the day of the week is left 0, as the date controls do not need it.
inline SYSTEMTIME At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const auto w = [](int value) { return static_cast<WORD>(value); };
    return SYSTEMTIME{w(year), w(month), 0, w(day), w(hour), w(minute), w(second), 0};
}

inline std::vector<int> Fields(const SYSTEMTIME& t)
{
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}
