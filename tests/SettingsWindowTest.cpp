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

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2025, 12, 10, 6, 0};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
    RecordingSoundPlayer m_sound;
};

// Where slm.dat cannot be written, the first start's OK saves nothing and shows nothing more.
TEST_F(SettingsWindowTest, ASettingsFileThatCannotBeWrittenShowsNothing)
{
    std::filesystem::create_directory(m_folder.PathOf("slm.dat"));  // in the way of the file
    ScriptedUser user;
    user.Expect(kSettings, ClickOk);
    user.Expect(kMain, ClickOk);
    RunProgram();
    EXPECT_EQ(FileNames(m_folder.Path()), std::vector<std::string>{"solmiraverse.pdb"});
}

// From the menu, a window that opens with AutoRun on reminds at once, before it is shown; a
// stored time that the clock skips today (02:30 on the day of the spring change) is shown,
// confirmed and saved as it was chosen. Opened again from the hidden button and unticked,
// it saves AutoRun off, which cancels the start, and the verse stays as it was.
TEST_F(SettingsWindowTest, TheSettingsWindowFromTheMenu)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2027, 3, 0, 28, 2, 30, 15}));
    m_clock.Set(2027, 3, 28, 1, 0);
    ScriptedUser user;
    user.Expect(kMain, [this](WindowView& w) {
        const std::wstring verse = w.ControlText(IDC_VERSE_TEXT);
        w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
        EXPECT_EQ(Settings(), SettingsBytes(0, 1, {2027, 3, 0, 28, 2, 30, 15}));
        w.PressHiddenButton(IDC_SETTINGS_BUTTON);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), verse) << "the text box is not refreshed";
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
        EXPECT_EQ(std::vector<int>({time.wHour, time.wMinute, time.wSecond}), std::vector<int>({2, 30, 15}));
        w.Click(IDOK);
    });
    user.Expect(L"Autorun", [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"DEDUVO will next run on 28 of Mar, 2027 at 2:30");
        w.Click(IDOK);
    });
    user.Expect(kReminder, ClickOk);
    user.Expect(kSettings, [](WindowView& w) {
        w.Click(IDC_AUTORUN);  // unticked: no message, the time field disabled at once
        EXPECT_FALSE(w.IsEnabled(IDC_RUN_TIME));
        w.Click(IDC_BELL_CHIME);
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(Settings(), SettingsBytes(1, 0, {2027, 3, 0, 28, 2, 30, 15}));
    EXPECT_TRUE(m_scheduler.pending.empty()) << "AutoRun off cancels";
}

}  // namespace
