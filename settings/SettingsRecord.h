// The settings as the settings file "slm.dat" holds them: 24 bytes, little-endian, no
// header. Bell Chime comes first, AutoRun second.
#pragma once

#include <cstdint>

#include "platform/core/Types.h"

struct SettingsRecord {
    std::int32_t bellChime;  // 0 off, 1 on; any non-zero value counts as on
    std::int32_t autoRun;
    SYSTEMTIME runAt;  // the next start's date and the chosen time of day
};
static_assert(sizeof(SettingsRecord) == 24, "the settings file is the record's 24 bytes");

// The record from the file's bytes, and the file's bytes of the record.
SettingsRecord SettingsRecordFromBytes(const BYTE (&bytes)[sizeof(SettingsRecord)]);
void SettingsRecordToBytes(const SettingsRecord& record, BYTE (&bytes)[sizeof(SettingsRecord)]);
