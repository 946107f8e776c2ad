// The reading window driven as a user would: the real start-up runs in-process with a
// fixed clock, a pinned time zone and a temporary program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/CWinApp.h"
#include "platform/testing/MessageRecorder.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/SyntheticInput.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::wstring kMain = L"REZEZO 1.0";
const RecordedMessage kOk{WM_COMMAND, IDOK, BN_CLICKED};

// Record k of the book reads "Reading k".
std::wstring ShownText(int k)
{
    return L"Verse " + std::to_wstring(k) + L":\r\n\r\nReading " + std::to_wstring(k);
}

std::string MakeBook()
{
    std::vector<std::string> records{"Test book"};
    for (int k = 1; k <= 365; ++k)
        records.push_back("Reading " + std::to_string(k));
    return BuildPalmDatabase("Test book", records);
}

class ReadingWindowTest : public ::testing::Test
{
protected:
    // Settings are in place (no chime, no daily start), so no start asks for them.
    ReadingWindowTest()
    {
        m_folder.Write("slm.dat", std::string(24, '\0'));
        m_folder.Write("solmiraverse.pdb", MakeBook());
    }

    int RunProgram() { return AfxWinMain(0, nullptr, ProgramResources()); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2026, 2, 5, 9, 30};
    ProgramFolder m_folder;
    ScriptedUser m_user;
    MessageRecorder m_messages;
};

// The missing book is reported once, over the main window not yet shown, which shows
// headings until a book is put in place; then a picked or typed date shows its reading.
// Options > About shows the About text over the disabled main window; the hidden controls
// still answer their handlers, and Enter, which makes the date field read its text again,
// changes no date and ends the window.
TEST_F(ReadingWindowTest, TheMissingBookDatesAboutAndTheHiddenControls)
{
    m_folder.Remove("solmiraverse.pdb");
    const ProgramFolder& folder = m_folder;
    m_user.Expect(L"Error!", [](WindowView& w) {
        EXPECT_EQ(w.MessageText(),
                  L"Failed to open book \"solmiraverse.pdb\"\nPlease download from https://www.example.org/solmira/");
        EXPECT_FALSE(w.Owner().IsShown());
        w.Click(IDOK);
    });
    m_user.Expect(kMain, [this, &folder](WindowView& w) {
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), L"Verse 36:\r\n\r\n");
        folder.Write("solmiraverse.pdb", MakeBook());
        m_messages.Take();
        w.PickDateTime(IDC_DATE, At(2008, 2, 29));  // the leap day shares 1 January's reading
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(1));
        w.ChooseMenuCommand(ID_OPTIONS_ABOUT);
        EXPECT_EQ(m_messages.Take(),
                  std::vector<RecordedMessage>(
                      {{WM_NOTIFY, IDC_DATE, DTN_DATETIMECHANGE}, {WM_COMMAND, ID_OPTIONS_ABOUT, 0}, kOk}));
        w.SelectHiddenCalendarDate(IDC_CALENDAR, At(2026, 7, 1));
        EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>({{WM_NOTIFY, IDC_CALENDAR, MCN_SELCHANGE}}))
            << "setting the selection notifies nothing";
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(182));
        w.PressHiddenButton(IDC_ABOUT_BUTTON);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT).rfind(L"What is Solmira?", 0), 0u);
        EXPECT_TRUE(UserType(w.Control(IDC_DATE), L"12312007"));  // month, day and year in turn
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(365));
        m_messages.Take();
        w.Key(VK_RETURN);
    });
    m_user.Expect(L"About Solmira", [](WindowView& w) {
        EXPECT_EQ(w.Owner().Caption(), kMain);
        EXPECT_FALSE(IsWindowEnabled(w.Owner().Handle())) << "the main window is disabled meanwhile";
        EXPECT_EQ(w.ControlText(IDC_ABOUT_TEXT).rfind(L"What is Solmira?", 0), 0u);
        EXPECT_EQ(GetFocus(), w.Control(IDOK));
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>{kOk});
}

// Today's reading, laid out as on the handheld with the hidden controls hidden, follows the
// desktop's font and the reader: the zoom keys and a larger window give a larger reading,
// both found again at the next start; a state file that does not read as one is ignored.
TEST_F(ReadingWindowTest, TheReadingFollowsTheDesktopsFontTheZoomAndTheWindowsSize)
{
    ASSERT_TRUE(SetDesktopForTesting(14, nullptr));
    const auto size = [](HWND window) {
        RECT r{};
        EXPECT_TRUE(GetWindowRect(window, &r));
        return std::make_pair(r.right - r.left, r.bottom - r.top);
    };
    const auto points = [](WindowView& w) { return TextAttributePointSize(w.Control(IDC_VERSE_TEXT)); };
    int plain = 0, zoomed = 0;
    std::pair<int, int> first, grown;
    m_user.Expect(kMain, [&](WindowView& w) {
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(36));
        EXPECT_FALSE(SHDoneButtonShown(w.Handle()));
        for (int hidden : {IDC_CALENDAR, IDC_SETTINGS_BUTTON, IDC_ABOUT_BUTTON, IDC_FIRST_BUTTON, IDC_LAST_BUTTON})
            EXPECT_FALSE(w.IsVisible(hidden)) << hidden;
        plain = points(w);
        EXPECT_GE(plain, 12) << "the desktop's 14 points stand for the template's 8";
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        zoomed = points(w);
        EXPECT_GT(zoomed, plain);
        first = size(w.Handle());
        const std::pair<int, int> box = size(w.Control(IDC_VERSE_TEXT));
        SetWindowPos(w.Handle(), nullptr, 0, 0, first.first + 100, first.second + 150, SWP_NOMOVE | SWP_NOZORDER);
        grown = size(w.Handle());
        EXPECT_GE(grown.first, first.first + 100);
        EXPECT_EQ(size(w.Control(IDC_VERSE_TEXT)),
                  std::make_pair(box.first + grown.first - first.first, box.second + grown.second - first.second));
        w.Key(VK_ESCAPE);
    });
    m_user.Expect(kMain, [&](WindowView& w) {
        EXPECT_EQ(points(w), zoomed);
        EXPECT_EQ(size(w.Handle()), grown);
        EXPECT_TRUE(UserControlKey(w.Handle(), '0'));
        EXPECT_EQ(points(w), plain);
        w.Click(IDOK);
    });
    RunProgram();
    RunProgram();
    for (const std::string& state :
         {std::string("zoom 1000000\nsize 102 99999 99999\n"), std::string("zoom -3x\nsize 102 -400 -400\n"),
          std::string("size 102 1 1\n"), "zoom 5" + std::string(5000, ' ') + "\n", std::string("zoom\0\xff\n5", 9)}) {
        SCOPED_TRACE(testing::PrintToString(state.substr(0, 40)));
        m_folder.Write("state/solmira/windows", state);
        m_user.Expect(kMain, [&](WindowView& w) {
            EXPECT_EQ(points(w), plain);
            EXPECT_EQ(size(w.Handle()), first);
            w.Click(IDOK);
        });
        RunProgram();
    }
    SetDesktopForTesting(0, nullptr);
}

}  // namespace
