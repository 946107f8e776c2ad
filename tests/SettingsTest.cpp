// The settings as the program keeps them: the settings file byte for byte, and the next
// daily start computed from the chosen time of day.
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

    std::string Program() const { return m_folder.PathOf("solmira"); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2025, 12, 10, 6, 0};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
};

// Files of every other content are loaded by the settings_load fuzz target, against the
// bytes, from its seed corpus: written, cut short, longer, flags of any value.
TEST_F(SettingsTest, AnEmptyFileIsNoSettings)
{
    m_folder.Write("slm.dat", "");
    CSettingsDlg dlg;
    EXPECT_FALSE(dlg.LoadSettings());
    EXPECT_EQ(dlg.m_bBellChime, 1);
    EXPECT_EQ(dlg.m_bAutoRun, 0);
    EXPECT_EQ(dlg.m_timeRun, CTime()) << "the run time stays the zero time value";
}

TEST_F(SettingsTest, ADamagedRunTimeIsLoadedAndTheServiceRefusesIt)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2025, 4, 0, 31, 25, 61, 99, 0}));
    CSettingsDlg dlg;
    EXPECT_TRUE(dlg.LoadSettings());
    dlg.ScheduleAutoRun(FALSE);
    EXPECT_TRUE(m_scheduler.calls.empty()) << "hour 25 names no moment, so nothing is registered";
}

TEST_F(SettingsTest, TheNextStartIsTodayOrTomorrow)
{
    struct Case {
        std::vector<int> now;     // year, month, day, hour, minute, second
        std::vector<int> chosen;  // hour, minute, second
        std::vector<int> next;    // year, month, day of week, day, hour, minute, second
    };
    const Case cases[] = {
        {{2025, 12, 10, 7, 29, 0}, {7, 30, 0}, {2025, 12, 3, 10, 7, 30, 0}},     // still ahead
        {{2025, 12, 10, 7, 30, 0}, {7, 30, 0}, {2025, 12, 4, 11, 7, 30, 0}},     // equal counts as passed
        {{2025, 12, 10, 6, 45, 0}, {7, 30, 0}, {2025, 12, 3, 10, 7, 30, 0}},     // the hour decides
        {{2025, 12, 10, 8, 10, 0}, {7, 30, 0}, {2025, 12, 4, 11, 7, 30, 0}},     //
        {{2025, 12, 13, 8, 0, 0}, {7, 30, 0}, {2025, 12, 7, 14, 7, 30, 0}},      // Saturday + 1 is 7
        {{2025, 12, 31, 9, 0, 0}, {7, 30, 0}, {2026, 1, 4, 1, 7, 30, 0}},        // year end
        {{2026, 4, 29, 9, 0, 0}, {7, 30, 0}, {2026, 4, 4, 30, 7, 30, 0}},        // the eve of one
        {{2026, 4, 30, 9, 0, 0}, {7, 30, 0}, {2026, 5, 5, 1, 7, 30, 0}},         // month end
        {{2008, 2, 28, 9, 0, 0}, {7, 30, 0}, {2008, 2, 5, 29, 7, 30, 0}},        // leap day
        {{2008, 2, 29, 9, 0, 0}, {7, 30, 0}, {2008, 3, 6, 1, 7, 30, 0}},         //
        {{2027, 2, 28, 9, 0, 0}, {7, 30, 0}, {2027, 3, 1, 1, 7, 30, 0}},         //
        {{2100, 2, 28, 9, 0, 0}, {7, 30, 0}, {2100, 3, 1, 1, 7, 30, 0}},         // century years:
        {{2000, 2, 28, 9, 0, 0}, {7, 30, 0}, {2000, 3, 2, 1, 7, 30, 0}},         // no leap day
        {{2025, 12, 10, 23, 59, 0}, {23, 59, 0}, {2025, 12, 4, 11, 23, 59, 0}},  //
        {{2025, 12, 10, 7, 30, 10}, {7, 30, 45}, {2025, 12, 4, 11, 7, 30, 45}},  // seconds take no part
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.now));
        m_clock.Set(c.now[0], c.now[1], c.now[2], c.now[3], c.now[4], c.now[5]);
        m_scheduler.calls.clear();
        CSettingsDlg dlg;
        dlg.m_bAutoRun = 1;
        dlg.m_record.runAt.wHour = static_cast<WORD>(c.chosen[0]);
        dlg.m_record.runAt.wMinute = static_cast<WORD>(c.chosen[1]);
        dlg.m_record.runAt.wSecond = static_cast<WORD>(c.chosen[2]);
        dlg.ScheduleAutoRun(FALSE);
        std::vector<int> expected = c.next;
        expected.push_back(0);
        EXPECT_EQ(Fields(dlg.m_record.runAt), expected);
        // The service gets the record's date-time; day of week 7 takes no part there.
        ASSERT_EQ(m_scheduler.calls.size(), 1u);
        EXPECT_FALSE(m_scheduler.calls[0].cancel);
        EXPECT_EQ(m_scheduler.calls[0].program, Program());
        EXPECT_EQ(Fields(m_scheduler.calls[0].time), expected);
    }
}

TEST_F(SettingsTest, AutoRunOffCancelsAndLeavesTheRecord)
{
    CSettingsDlg dlg;
    dlg.m_record.runAt = SYSTEMTIME{2024, 5, 1, 6, 7, 8, 9, 0};
    dlg.ScheduleAutoRun(TRUE);
    ASSERT_EQ(m_scheduler.calls.size(), 1u);
    EXPECT_TRUE(m_scheduler.calls[0].cancel);
    EXPECT_EQ(Fields(dlg.m_record.runAt), (std::vector<int>{2024, 5, 1, 6, 7, 8, 9, 0}));
}

}  // namespace
