// Settings, the daily start and the first start: the settings file byte for byte, the
// next-start computation, and the Settings window driven through the real start-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/framework/CWinApp.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::wstring kMain = L"REZEZO 1.0";
const std::wstring kSettings = L"Settings";
const std::wstring kReminder = L"Support Notice";
const std::wstring kConfirmation = L"Autorun";

// The settings file's bytes: two 32-bit flags, then year, month, day of week, day, hour,
// minute, second and milliseconds, all little-endian.
std::string SettingsBytes(std::uint32_t bell, std::uint32_t autoRun, std::vector<int> runAt)
{
    std::string bytes;
    for (std::uint32_t flag : {bell, autoRun})
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((flag >> (8 * i)) & 0xFF);
    runAt.resize(8, 0);
    for (int field : runAt) {
        bytes += static_cast<char>(field & 0xFF);
        bytes += static_cast<char>((field >> 8) & 0xFF);
    }
    return bytes;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<int> Fields(const SYSTEMTIME& t)
{
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

class SettingsTest : public ::testing::Test
{
protected:
    SettingsTest()
    {
        g_strAppDir = QString::fromStdString(m_folder.Path() + "/").replace('/', '\\').toStdWString().c_str();
        m_folder.Write("solmiraverse.pdb", BuildPalmDatabase("Book", std::vector<std::string>(366, "A reading.")));
    }
    ~SettingsTest() override { g_strAppDir.Empty(); }

    int RunProgram() { return AfxWinMain(0, nullptr, ProgramResources()); }
    std::string Settings() const { return ReadAll(m_folder.PathOf("slm.dat")); }
    std::string Program() const { return m_folder.PathOf("solmira"); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2025, 12, 10, 6, 0};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
    RecordingSoundPlayer m_sound;
};

TEST_F(SettingsTest, LoadSettingsReadsTheFileAsItStands)
{
    const std::vector<int> runAt{2025, 12, 3, 10, 7, 30, 0, 0};
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
        BOOL loaded, bellChime, autoRun;
        std::vector<int> record;  // runAt as loaded
    };
    const Case cases[] = {
        {"no file", false, "", FALSE, 1, 0, {}},
        {"empty file", true, "", FALSE, 1, 0, {}},
        {"as written", true, SettingsBytes(1, 0, runAt), TRUE, 1, 0, runAt},
        {"day of week 7", true, SettingsBytes(1, 0, {2025, 12, 7, 10, 7, 30}), TRUE, 1, 0, {2025, 12, 7, 10, 7, 30}},
        {"longer file", true, SettingsBytes(0, 1, runAt) + "tail", TRUE, 0, 1, runAt},
        {"flags of 2 and all ones", true, SettingsBytes(2, 0xFFFFFFFF, runAt), TRUE, 2, -1, runAt},
        {"cut short: the rest is zero", true, SettingsBytes(1, 1, runAt).substr(0, 11), TRUE, 1, 1, {2025, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.Remove("slm.dat");
        if (c.present)
            m_folder.Write("slm.dat", c.bytes);
        CSettingsDlg dlg;
        EXPECT_EQ(dlg.LoadSettings(), c.loaded);
        EXPECT_EQ(dlg.m_bBellChime, c.bellChime);
        EXPECT_EQ(dlg.m_bAutoRun, c.autoRun);
        if (!c.loaded) {
            EXPECT_EQ(dlg.m_timeRun, CTime()) << "the run time stays the zero time value";
            continue;
        }
        std::vector<int> expected = c.record;
        expected.resize(8, 0);
        EXPECT_EQ(Fields(dlg.m_record.runAt), expected);
        if (c.record == runAt) {
            EXPECT_EQ(dlg.m_timeRun, CTime(2025, 12, 10, 7, 30, 0));
        }
    }
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

// A first start: the Settings window comes before the main window, and OK writes the file.
TEST_F(SettingsTest, AFirstStartAsksForTheSettings)
{
    for (const bool emptyFile : {false, true}) {
        SCOPED_TRACE(emptyFile ? "empty file" : "no file");
        m_folder.Remove("slm.dat");
        if (emptyFile)
            m_folder.Write("slm.dat", "");
        m_scheduler.calls.clear();
        m_sound.played.clear();
        ScriptedUser user;
        user.Expect(kSettings, [](WindowView& w) {
            EXPECT_FALSE(w.Owner().IsShown()) << "the main window is not shown yet";
            EXPECT_TRUE(w.IsChecked(IDC_BELL_CHIME));
            EXPECT_FALSE(w.IsChecked(IDC_AUTORUN));
            EXPECT_FALSE(w.IsEnabled(IDC_RUN_TIME));
            EXPECT_TRUE(w.HasFocus(IDOK));
            w.Click(IDOK);
        });
        user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
        RunProgram();
        EXPECT_EQ(user.Remaining(), 0u);
        const std::string bytes = Settings();
        ASSERT_EQ(bytes.size(), 24u);
        EXPECT_EQ(bytes.substr(0, 8), SettingsBytes(1, 0, {}).substr(0, 8));
        EXPECT_FALSE(std::filesystem::exists(m_folder.PathOf("slm.dat.new")));
        EXPECT_EQ(m_sound.played, std::vector<std::string>{m_folder.PathOf("slm.wav")});
        ASSERT_EQ(m_scheduler.calls.size(), 2u) << "the save and the start each cancel";
        EXPECT_TRUE(m_scheduler.calls[0].cancel && m_scheduler.calls[1].cancel);
    }
}

TEST_F(SettingsTest, AFirstStartThatTurnsAutoRunOnRegistersToday)
{
    ScriptedUser user;
    user.Expect(kSettings, [](WindowView& w) {
        w.Click(IDC_BELL_CHIME);
        w.Click(IDC_AUTORUN);  // the reminder opens here
        EXPECT_TRUE(w.IsEnabled(IDC_RUN_TIME));
        w.SetTime(IDC_RUN_TIME, QTime(7, 30));
        w.Click(IDOK);
    });
    user.Expect(kReminder, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"Please remember to turn off \"AutoRun\" before removing DEDUVO.EXE.");
        w.Click(IDOK);
    });
    user.Expect(kConfirmation, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"DEDUVO will next run on 10 of Dec, 2025 at 7:30");
        w.Click(IDOK);
    });
    user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_TRUE(m_sound.played.empty()) << "Bell Chime was turned off";
    ASSERT_EQ(m_scheduler.calls.size(), 2u) << "OK registers, then the start registers the same again";
    EXPECT_EQ(Fields(m_scheduler.calls[1].time), Fields(m_scheduler.calls[0].time));
    EXPECT_EQ(Fields(m_scheduler.pending.at(Program())), (std::vector<int>{2025, 12, 3, 10, 7, 30, 0, 0}));
    EXPECT_EQ(Settings(), SettingsBytes(0, 1, {2025, 12, 3, 10, 7, 30, 0, 0}));
}

TEST_F(SettingsTest, EveryStartRegistersTheNextDailyStartSilently)
{
    struct Case {
        int hour, minute;
        int day;
    };
    const Case cases[] = {{6, 45, 10}, {7, 30, 11}, {7, 31, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.hour) + ":" + std::to_string(c.minute));
        m_folder.Write("slm.dat", SettingsBytes(1, 1, {2025, 12, 3, 9, 7, 30, 0, 0}));
        m_clock.Set(2025, 12, 10, c.hour, c.minute);
        ScriptedUser user;
        user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
        RunProgram();
        EXPECT_EQ(m_scheduler.pending.size(), 1u);
        EXPECT_EQ(m_scheduler.pending.at(Program()).wDay, c.day);
        EXPECT_EQ(m_sound.played.back(), m_folder.PathOf("slm.wav"));
        EXPECT_EQ(Settings(), SettingsBytes(1, 1, {2025, 12, 3, 9, 7, 30, 0, 0})) << "a start writes no settings";
    }
    m_folder.Write("slm.dat", SettingsBytes(0, 0, {2025, 12, 3, 9, 7, 30}));
    m_sound.played.clear();
    ScriptedUser user;
    user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
    RunProgram();
    EXPECT_TRUE(m_scheduler.pending.empty()) << "AutoRun off cancels";
    EXPECT_TRUE(m_sound.played.empty());
}

TEST_F(SettingsTest, TheSettingsWindowFromTheMenu)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2025, 12, 3, 9, 7, 30, 15, 0}));
    ScriptedUser user;
    std::wstring verse;
    user.Expect(kMain, [&verse](WindowView& w) {
        verse = w.ControlText(IDC_VERSE_TEXT);
        w.ChooseMenuCommand("&Settings");
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), verse) << "the text box is not refreshed";
        w.PressHiddenButton(IDC_SETTINGS_BUTTON);
        w.Click(IDOK);
    });
    // A window that opens with AutoRun on reminds at once, before it is shown.
    user.Expect(kReminder, [](WindowView& w) {
        EXPECT_EQ(w.Owner().Caption(), kSettings);
        EXPECT_FALSE(w.Owner().IsShown());
        w.Click(IDOK);
    });
    user.Expect(kSettings, [](WindowView& w) {
        EXPECT_TRUE(w.IsChecked(IDC_AUTORUN));
        EXPECT_TRUE(w.IsEnabled(IDC_RUN_TIME));
        const SYSTEMTIME time = w.Time(IDC_RUN_TIME);
        EXPECT_EQ(std::vector<int>({time.wHour, time.wMinute, time.wSecond}), std::vector<int>({7, 30, 15}));
        w.Click(IDC_AUTORUN);  // unticked: no message, the time field disabled at once
        EXPECT_FALSE(w.IsEnabled(IDC_RUN_TIME));
        w.Click(IDOK);
    });
    // The hidden Settings button opens it too; Escape closes it without saving.
    user.Expect(kSettings, [](WindowView& w) {
        EXPECT_FALSE(w.IsChecked(IDC_AUTORUN));
        w.Click(IDC_BELL_CHIME);
        w.Key(Qt::Key_Escape);
    });
    // Saved off, with the date of the run time itself: Tuesday 9 December.
    const std::string before = SettingsBytes(0, 0, {2025, 12, 2, 9, 7, 30, 15, 0});
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(m_scheduler.pending.empty());
}

TEST_F(SettingsTest, ASaturdaySaveStoresDayOfWeekSevenAndMonthNamesStay)
{
    m_folder.Write("slm.dat", SettingsBytes(1, 1, {2025, 12, 3, 9, 7, 30}));
    m_clock.Set(2025, 12, 13, 8, 0);
    const CString* names = nullptr;
    ScriptedUser user;
    user.Expect(kMain, [](WindowView& w) {
        for (int i = 0; i < 2; ++i)
            w.ChooseMenuCommand("&Settings");
        w.Click(IDOK);
    });
    for (int i = 0; i < 2; ++i) {
        user.Expect(kReminder, [](WindowView& w) { w.Click(IDOK); });
        user.Expect(kSettings, [](WindowView& w) { w.Click(IDOK); });
        user.Expect(kConfirmation, [&names](WindowView& w) {
            EXPECT_EQ(w.MessageText(), L"DEDUVO will next run on 14 of Dec, 2025 at 7:30");
            if (names == nullptr)
                names = MonthNames();
            EXPECT_EQ(MonthNames(), names) << "the month names are built once";
            w.Click(IDOK);
        });
    }
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    const unsigned char expected[24] = {0x01, 0, 0,    0, 0x01, 0, 0,    0, 0xE9, 0x07, 0x0C, 0,
                                        0x07, 0, 0x0E, 0, 0x07, 0, 0x1E, 0, 0,    0,    0,    0};
    EXPECT_EQ(Settings(), std::string(std::begin(expected), std::end(expected)));
}

TEST_F(SettingsTest, ASettingsFileThatCannotBeWrittenShowsNothing)
{
    std::filesystem::create_directory(m_folder.PathOf("slm.dat"));  // in the way of the file
    ScriptedUser user;
    user.Expect(kSettings, [](WindowView& w) { w.Click(IDOK); });
    user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.PathOf("slm.dat")));
    EXPECT_FALSE(std::filesystem::exists(m_folder.PathOf("slm.dat.new")));
}

}  // namespace
