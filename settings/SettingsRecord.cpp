// The settings record and the settings file's 24 bytes, field by field, little-endian.
#include "settings/SettingsRecord.h"

#include "platform/core/ByteOrder.h"

namespace
{

// The fields in file order: two 32-bit flags, then the eight 16-bit fields of runAt.
constexpr int kRunAtFields = 8;

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
    record.bellChime = static_cast<std::int32_t>(GetLittleEndian(bytes, 4));
    record.autoRun = static_cast<std::int32_t>(GetLittleEndian(bytes + 4, 4));
    for (int i = 0; i < kRunAtFields; ++i)
        *RunAtField(record.runAt, i) = static_cast<WORD>(GetLittleEndian(bytes + 8 + 2 * i, 2));
    return record;
}

void SettingsRecordToBytes(const SettingsRecord& record, BYTE (&bytes)[sizeof(SettingsRecord)])
{
    PutLittleEndian(bytes, 4, static_cast<std::uint32_t>(record.bellChime));
    PutLittleEndian(bytes + 4, 4, static_cast<std::uint32_t>(record.autoRun));
    SYSTEMTIME runAt = record.runAt;
    for (int i = 0; i < kRunAtFields; ++i)
        PutLittleEndian(bytes + 8 + 2 * i, 2, *RunAtField(runAt, i));
}
