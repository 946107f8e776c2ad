// The settings record and the settings file's 24 bytes, field by field, little-endian.
#include "settings/SettingsRecord.h"

namespace
{

// The fields in file order: two 32-bit flags, then the eight 16-bit fields of runAt.
constexpr int kRunAtFields = 8;

std::uint32_t Get(const BYTE* at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

void Put(BYTE* at, int size, std::uint32_t value)
{
    for (int i = 0; i < size; ++i, value >>= 8)
        at[i] = static_cast<BYTE>(value & 0xFF);
}

WORD* RunAtField(SYSTEMTIME& time, int i)
{
    WORD* fields[kRunAtFields] = {&time.wYear, &time.wMonth,  &time.wDayOfWeek, &time.wDay,
                                  &time.wHour, &time.wMinute, &time.wSecond,    &time.wMilliseconds};
    return fields[i];
}

}  // namespace

SettingsRecord SettingsRecordFromBytes(const BYTE (&bytes)[sizeof(SettingsRecord)])
{
    SettingsRecord record{};
    record.bellChime = static_cast<std::int32_t>(Get(bytes, 4));
    record.autoRun = static_cast<std::int32_t>(Get(bytes + 4, 4));
    for (int i = 0; i < kRunAtFields; ++i)
        *RunAtField(record.runAt, i) = static_cast<WORD>(Get(bytes + 8 + 2 * i, 2));
    return record;
}

void SettingsRecordToBytes(const SettingsRecord& record, BYTE (&bytes)[sizeof(SettingsRecord)])
{
    Put(bytes, 4, static_cast<std::uint32_t>(record.bellChime));
    Put(bytes + 4, 4, static_cast<std::uint32_t>(record.autoRun));
    SYSTEMTIME runAt = record.runAt;
    for (int i = 0; i < kRunAtFields; ++i)
        Put(bytes + 8 + 2 * i, 2, *RunAtField(runAt, i));
}
