// The Settings window and the first start, driven through the real start-up as a user
// would: what is shown, what is saved, and what the daily start becomes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/MessageRecorder.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/SyntheticInput.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::wstring kMain = L"REZEZO 1.0";
const std::wstring kSettings = L"Settings";
const std::wstring kReminder = L"Support Notice";
const std::wstring kConfirmation = L"Autorun";

class SettingsWindowTest : public ::testing::Test
{
protected:
    SettingsWindowTest()
    {
        m_folder.Write("solmiraverse.pdb", BuildPalmDatabase("Book", std::vector<std::string>(366, "A reading.")));
    }

    int RunProgram() { return AfxWinMain(0, nullptr, ProgramResources()); }
    std::string Settings() const { return ReadAll(m_folder.PathOf("slm.dat")); }
    std::string Program() const { return m_folder.PathOf("solmira"); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2025, 12, 10, 6, 0};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
    RecordingSoundPlayer m_sound;
    MessageRecorder m_messages;
};

// A first start: the Settings window comes before the main window, and OK writes the file.
TEST_F(SettingsWindowTest, AFirstStartAsksForTheSettings)
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
        EXPECT_EQ(FileNames(m_folder.Path()), (std::vector<std::string>{"slm.dat", "solmiraverse.pdb"}))
            << "no new file is left beside the settings";
        EXPECT_EQ(m_sound.played, std::vector<std::string>{m_folder.PathOf("slm.wav")});
        ASSERT_EQ(m_scheduler.calls.size(), 2u) << "the save and the start each cancel";
        EXPECT_TRUE(m_scheduler.calls[0].cancel && m_scheduler.calls[1].cancel);
    }
}

TEST_F(SettingsWindowTest, AFirstStartThatTurnsAutoRunOnRegistersToday)
{
    ScriptedUser user;
    user.Expect(kSettings, [](WindowView& w) {
        w.Click(IDC_BELL_CHIME);
        w.Click(IDC_AUTORUN);  // the reminder opens here
        EXPECT_TRUE(w.IsEnabled(IDC_RUN_TIME));
        w.PickDateTime(IDC_RUN_TIME, At(2025, 12, 10, 7, 30));
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
    // Opening the window sets its controls, which sends nothing; each of the user's acts
    // sends one command or notification.
    const RecordedMessage ok{WM_COMMAND, IDOK, BN_CLICKED};
    const std::vector<RecordedMessage> expected = {
        {WM_COMMAND, IDC_BELL_CHIME, BN_CLICKED},
        {WM_COMMAND, IDC_AUTORUN, BN_CLICKED},
        ok,  // the reminder
        {WM_NOTIFY, IDC_RUN_TIME, DTN_DATETIMECHANGE},
        ok,  // Settings
        ok,  // the confirmation
        ok,  // the main window
    };
    EXPECT_EQ(m_messages.Take(), expected);
}

TEST_F(SettingsWindowTest, EveryStartRegistersTheNextDailyStartSilently)
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

TEST_F(SettingsWindowTest, TheSettingsWindowFromTheMenu)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2025, 12, 3, 9, 7, 30, 15, 0}));
    ScriptedUser user;
    std::wstring verse;
    user.Expect(kMain, [&verse](WindowView& w) {
        verse = w.ControlText(IDC_VERSE_TEXT);
        w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
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
        EXPECT_FALSE(UserPickDateTime(w.Control(IDC_RUN_TIME), At(2025, 12, 9, 8, 0))) << "no user can edit it";
        w.Click(IDOK);
    });
    // The hidden Settings button opens it too; Escape closes it without saving.
    user.Expect(kSettings, [](WindowView& w) {
        EXPECT_FALSE(w.IsChecked(IDC_AUTORUN));
        w.Click(IDC_BELL_CHIME);
        w.Key(VK_ESCAPE);
    });
    // Saved off, with the date of the run time itself: Tuesday 9 December.
    const std::string before = SettingsBytes(0, 0, {2025, 12, 2, 9, 7, 30, 15, 0});
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    const RecordedMessage ok{WM_COMMAND, IDOK, BN_CLICKED};
    const std::vector<RecordedMessage> expected = {
        {WM_COMMAND, ID_OPTIONS_SETTINGS, 0},
        ok,  // the reminder, while the window opens with AutoRun ticked
        {WM_COMMAND, IDC_AUTORUN, BN_CLICKED},
        ok,  // Settings, saved
        {WM_COMMAND, IDC_SETTINGS_BUTTON, BN_CLICKED},
        {WM_COMMAND, IDC_BELL_CHIME, BN_CLICKED},
        {WM_COMMAND, IDCANCEL, BN_CLICKED},  // Escape: not saved
        ok,                                  // the main window
    };
    EXPECT_EQ(m_messages.Take(), expected);
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(m_scheduler.pending.empty());
}

TEST_F(SettingsWindowTest, ASaturdaySaveStoresDayOfWeekSevenAndMonthNamesStay)
{
    m_folder.Write("slm.dat", SettingsBytes(1, 1, {2025, 12, 3, 9, 7, 30}));
    m_clock.Set(2025, 12, 13, 8, 0);
    const CString* names = nullptr;
    ScriptedUser user;
    user.Expect(kMain, [](WindowView& w) {
        for (int i = 0; i < 2; ++i)
            w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
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

// A stored time that the clock skips today (02:30 on the day of the spring change) is shown
// and saved as it was chosen.
TEST_F(SettingsWindowTest, AStoredTimeTheClockSkipsTodayStaysAsChosen)
{
    m_folder.Write("slm.dat", SettingsBytes(1, 1, {2027, 3, 0, 28, 2, 30}));
    m_clock.Set(2027, 3, 28, 1, 0);
    ScriptedUser user;
    user.Expect(kMain, [](WindowView& w) {
        w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
        w.Click(IDOK);
    });
    user.Expect(kReminder, [](WindowView& w) { w.Click(IDOK); });
    user.Expect(kSettings, [](WindowView& w) {
        const SYSTEMTIME time = w.Time(IDC_RUN_TIME);
        EXPECT_EQ(std::vector<int>({time.wHour, time.wMinute}), std::vector<int>({2, 30}));
        w.Click(IDOK);
    });
    user.Expect(kConfirmation, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"DEDUVO will next run on 28 of Mar, 2027 at 2:30");
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_EQ(Settings(), SettingsBytes(1, 1, {2027, 3, 0, 28, 2, 30, 0, 0}));
}

TEST_F(SettingsWindowTest, ASettingsFileThatCannotBeWrittenShowsNothing)
{
    std::filesystem::create_directory(m_folder.PathOf("slm.dat"));  // in the way of the file
    ScriptedUser user;
    user.Expect(kSettings, [](WindowView& w) { w.Click(IDOK); });
    user.Expect(kMain, [](WindowView& w) { w.Click(IDOK); });
    RunProgram();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.PathOf("slm.dat")));
    EXPECT_EQ(FileNames(m_folder.Path()), std::vector<std::string>{"solmiraverse.pdb"});
}

}  // namespace
