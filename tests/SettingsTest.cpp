// The next daily start, computed from the chosen time of day. Settings files of any content
// are loaded by the settings_load fuzz target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/TestEnvironment.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"
#include "tests/TestFiles.h"

namespace
{

class SettingsTest : public ::testing::Test
{
protected:
    SettingsTest() { g_strAppDir = DevicePathFromHostPath(m_folder.Path() + "/").c_str(); }
    ~SettingsTest() override { g_strAppDir.Empty(); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2025, 12, 10, 6, 0};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
};

// Now, then the next start: year, month, day of week, day, hour, minute, second and
// milliseconds; the chosen time of day is the next start's.
TEST_F(SettingsTest, TheNextStartIsTodayOrTomorrow)
{
    const std::vector<int> cases[][2] = {
        {{2025, 12, 10, 7, 29, 0}, {2025, 12, 3, 10, 7, 30, 0, 0}},    // still ahead
        {{2025, 12, 10, 7, 30, 0}, {2025, 12, 4, 11, 7, 30, 0, 0}},    // equal counts as passed
        {{2025, 12, 13, 8, 0, 0}, {2025, 12, 7, 14, 7, 30, 0, 0}},     // Saturday + 1 is 7
        {{2025, 12, 31, 9, 0, 0}, {2026, 1, 4, 1, 7, 30, 0, 0}},       // year end
        {{2026, 4, 29, 9, 0, 0}, {2026, 4, 4, 30, 7, 30, 0, 0}},       // the eve of one
        {{2026, 4, 30, 9, 0, 0}, {2026, 5, 5, 1, 7, 30, 0, 0}},        // month end
        {{2008, 2, 28, 9, 0, 0}, {2008, 2, 5, 29, 7, 30, 0, 0}},       // leap day
        {{2025, 12, 10, 7, 30, 10}, {2025, 12, 4, 11, 7, 30, 45, 0}},  // seconds take no part
    };
    for (const auto& [now, next] : cases) {
        SCOPED_TRACE(testing::PrintToString(now));
        m_clock.Set(now[0], now[1], now[2], now[3], now[4], now[5]);
        m_scheduler.calls.clear();
        CSettingsDlg dlg;
        dlg.m_bAutoRun = 1;
        dlg.m_record.runAt = At(0, 0, 0, next[4], next[5], next[6]);
        dlg.ScheduleAutoRun(FALSE);
        EXPECT_EQ(Fields(dlg.m_record.runAt), next);
        // The service gets the record's date-time; day of week 7 takes no part there.
        ASSERT_EQ(m_scheduler.calls.size(), 1u);
        EXPECT_EQ(m_scheduler.calls[0].program, m_folder.PathOf("solmira"));
        EXPECT_EQ(Fields(m_scheduler.calls[0].time), next);
    }
}

}  // namespace
