// Fuzz target: the settings loaded from a settings file of any bytes, in a time zone with
// daylight saving, so that run times that name no moment or name two are met.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/ByteOrder.h"
#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{

std::string g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    g_folder = (std::filesystem::temp_directory_path() / "solmira-fuzz-XXXXXX").string();
    FUZZ_CHECK(::mkdtemp(g_folder.data()) != nullptr);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    SetModulePathForTesting(g_folder + "/solmira");
    g_strAppDir = DevicePathFromHostPath(g_folder + "/").c_str();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An empty input stands for no file at all.
    std::filesystem::remove(g_folder + "/slm.dat");
    if (size > 0)
        std::ofstream(g_folder + "/slm.dat", std::ios::binary).write(reinterpret_cast<const char*>(data), size);

    CSettingsDlg settings;
    const BOOL loaded = settings.LoadSettings();
    FUZZ_CHECK(loaded == (size > 0 ? TRUE : FALSE));
    if (!loaded) {
        FUZZ_CHECK(settings.m_bAutoRun == 0 && settings.m_bBellChime == 1 && settings.m_timeRun == CTime());
        return 0;
    }
    // Only the first 24 bytes count; a shorter file leaves the rest of the record zero.
    std::string record(reinterpret_cast<const char*>(data), std::min(size, sizeof(SettingsRecord)));
    record.resize(sizeof(SettingsRecord), '\0');
    BYTE held[sizeof(SettingsRecord)];
    SettingsRecordToBytes(settings.m_record, held);
    FUZZ_CHECK(std::string(reinterpret_cast<const char*>(held), sizeof held) == record);
    const auto field = [&](std::size_t at, int width) { return GetLittleEndian(&record[at], width); };
    FUZZ_CHECK(static_cast<std::uint32_t>(settings.m_bBellChime) == field(0, 4));
    FUZZ_CHECK(static_cast<std::uint32_t>(settings.m_bAutoRun) == field(4, 4));

    std::tm local{};
    local.tm_year = static_cast<int>(field(8, 2)) - 1900;
    local.tm_mon = static_cast<int>(field(10, 2)) - 1;
    local.tm_mday = static_cast<int>(field(14, 2));
    local.tm_hour = static_cast<int>(field(16, 2));
    local.tm_min = static_cast<int>(field(18, 2));
    local.tm_sec = static_cast<int>(field(20, 2));
    local.tm_isdst = -1;
    FUZZ_CHECK(settings.m_timeRun.GetTime() == std::mktime(&local));
    // The run time goes back to a local date-time, or says that it cannot.
    SYSTEMTIME back{};
    settings.m_timeRun.GetAsSystemTime(back);
    return 0;
}
