// The Settings window and the first start, driven through the real start-up as a user
// would: what is shown, what is saved, and what the daily start becomes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/framework/CWinApp.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::wstring kMain = L"REZEZO 1.0";
const std::wstring kSettings = L"Settings";
const std::wstring kReminder = L"Support Notice";
const std::wstring kConfirmation = L"Autorun";

void ClickOk(WindowView& w)
{
    w.Click(IDOK);
}

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
};

// A first start: the Settings window comes before the main window, and OK writes the file.
TEST_F(SettingsWindowTest, AFirstStartAsksForTheSettings)
{
    ScriptedUser user;
    user.Expect(kSettings, [](WindowView& w) {
        EXPECT_FALSE(w.Owner().IsShown()) << "the main window is not shown yet";
        EXPECT_TRUE(w.IsChecked(IDC_BELL_CHIME));
        EXPECT_FALSE(w.IsChecked(IDC_AUTORUN));
        EXPECT_FALSE(w.IsEnabled(IDC_RUN_TIME));
        EXPECT_TRUE(w.HasFocus(IDOK));
        w.Click(IDOK);
    });
    user.Expect(kMain, ClickOk);
    RunProgram();
    EXPECT_EQ(Settings().size(), 24u);
    EXPECT_EQ(Settings().substr(0, 8), SettingsBytes(1, 0, {}).substr(0, 8));
    EXPECT_EQ(FileNames(m_folder.Path()), (std::vector<std::string>{"slm.dat", "solmiraverse.pdb"}))
        << "no new file is left beside the settings";
    EXPECT_EQ(m_sound.played, std::vector<std::string>{m_folder.PathOf("slm.wav")});
    EXPECT_TRUE(m_scheduler.pending.empty());
}

// From the menu, a window that opens with AutoRun on reminds at once, before it is shown;
// unticked, it saves AutoRun off, which cancels the start, and leaves the verse as it was.
// The hidden Settings button opens it too; Escape closes it without saving.
TEST_F(SettingsWindowTest, TheSettingsWindowFromTheMenu)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2025, 12, 3, 9, 7, 30, 15, 0}));
    ScriptedUser user;
    user.Expect(kMain, [](WindowView& w) {
        const std::wstring verse = w.ControlText(IDC_VERSE_TEXT);
        w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), verse) << "the text box is not refreshed";
        w.PressHiddenButton(IDC_SETTINGS_BUTTON);
        w.Click(IDOK);
    });
    user.Expect(kReminder, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"Please remember to turn off \"AutoRun\" before removing DEDUVO.EXE.");
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
        w.Click(IDC_BELL_CHIME);
        w.Click(IDOK);
    });
    user.Expect(kSettings, [](WindowView& w) {
        EXPECT_FALSE(w.IsChecked(IDC_AUTORUN));
        w.Click(IDC_BELL_CHIME);
        w.Key(VK_ESCAPE);
    });
    RunProgram();
    // Saved chime on and AutoRun off, with the date of the run time itself: Tuesday 9 December.
    EXPECT_EQ(Settings(), SettingsBytes(1, 0, {2025, 12, 2, 9, 7, 30, 15, 0}));
    EXPECT_TRUE(m_scheduler.pending.empty()) << "AutoRun off cancels";
}

// Saved from the menu: a Saturday stores day of week 7; a stored time that the clock skips
// today (02:30 on the day of the spring change) is shown and saved as it was chosen.
TEST_F(SettingsWindowTest, ASaveFromTheMenuConfirmsAndStoresTheNextStart)
{
    const struct {
        std::string stored;
        int year, month, day, hour;
        const wchar_t* confirmation;
        std::string saved;
    } cases[] = {
        {SettingsBytes(1, 1, {2025, 12, 3, 9, 7, 30}), 2025, 12, 13, 8,
         L"DEDUVO will next run on 14 of Dec, 2025 at 7:30",
         std::string("\x01\0\0\0\x01\0\0\0\xE9\x07\x0C\0\x07\0\x0E\0\x07\0\x1E\0\0\0\0\0", 24)},
        {SettingsBytes(1, 1, {2027, 3, 0, 28, 2, 30}), 2027, 3, 28, 1,
         L"DEDUVO will next run on 28 of Mar, 2027 at 2:30", SettingsBytes(1, 1, {2027, 3, 0, 28, 2, 30, 0, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.confirmation));
        m_folder.Write("slm.dat", c.stored);
        m_clock.Set(c.year, c.month, c.day, c.hour, 0);
        ScriptedUser user;
        user.Expect(kMain, [](WindowView& w) {
            w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
            w.Click(IDOK);
        });
        user.Expect(kReminder, ClickOk);
        const int hour = c.stored[16];
        user.Expect(kSettings, [hour](WindowView& w) {
            EXPECT_EQ(w.Time(IDC_RUN_TIME).wHour, hour);
            w.Click(IDOK);
        });
        user.Expect(kConfirmation, [&c](WindowView& w) {
            EXPECT_EQ(w.MessageText(), c.confirmation);
            w.Click(IDOK);
        });
        RunProgram();
        EXPECT_EQ(Settings(), c.saved);
    }
}

TEST_F(SettingsWindowTest, ASettingsFileThatCannotBeWrittenShowsNothing)
{
    std::filesystem::create_directory(m_folder.PathOf("slm.dat"));  // in the way of the file
    ScriptedUser user;
    user.Expect(kSettings, ClickOk);
    user.Expect(kMain, ClickOk);
    RunProgram();
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.PathOf("slm.dat")));
    EXPECT_EQ(FileNames(m_folder.Path()), std::vector<std::string>{"solmiraverse.pdb"});
}

}  // namespace
