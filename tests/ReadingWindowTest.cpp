// The reading window driven as a user would: the real start-up runs in-process with a
// fixed clock, a pinned time zone and a temporary program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/MessageRecorder.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/SyntheticInput.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "settings/AppDir.h"
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

// The window shows today's reading as the handheld laid it out and sends nothing while the
// user reads; Escape and Enter end it, each with its own command and nothing else.
TEST_F(ReadingWindowTest, StartShowsTodaysReadingUntilTheUserEndsIt)
{
    for (const WORD key : {VK_ESCAPE, VK_RETURN}) {
        m_user.Expect(kMain, [this, key](WindowView& w) {
            EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(36));
            EXPECT_TRUE(w.HasFocus(IDC_DATE));
            EXPECT_EQ(w.ControlText(IDOK), L"May All be Well and Happy!");
            EXPECT_FALSE(w.DoneButtonShown());
            // 138 dialog units of the 8-point interface font: about the handheld's 240 pixels.
            EXPECT_NEAR(w.Rect().right - w.Rect().left, 240, 40);
            for (int hidden : {IDC_CALENDAR, IDC_SETTINGS_BUTTON, IDC_ABOUT_BUTTON, IDC_FIRST_BUTTON, IDC_LAST_BUTTON})
                EXPECT_FALSE(w.IsVisible(hidden)) << hidden;
            EXPECT_TRUE(UserType(w.Control(IDC_VERSE_TEXT), L"typed"));
            EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(36)) << "the text box takes no typing";
            EXPECT_TRUE(m_messages.Take().empty());
            w.Key(key);
        });
        EXPECT_EQ(RunProgram(), 0);
        EXPECT_EQ(m_messages.Take(),
                  std::vector<RecordedMessage>({{WM_COMMAND, key == VK_RETURN ? IDOK : IDCANCEL, 0}}));
    }
    EXPECT_EQ(std::wstring(g_strAppDir), DevicePathFromHostPath(m_folder.Path() + "/"));
}

// The missing book is reported once, over the main window not yet shown, which shows
// headings until a book is put in place; then a picked or typed date shows its reading.
// Options > About shows the About text over the disabled main window, which keeps its
// verse; the hidden controls still answer their handlers, and buttons with none do nothing.
TEST_F(ReadingWindowTest, TheMissingBookDatesAboutAndTheHiddenControls)
{
    m_folder.Remove("solmiraverse.pdb");
    const ProgramFolder& folder = m_folder;
    m_user.Expect(L"Error!", [](WindowView& w) {
        EXPECT_EQ(w.MessageText(),
                  L"Failed to open book \"solmiraverse.pdb\"\nPlease download from https://www.example.org/solmira/");
        EXPECT_FALSE(w.Exists(IDCANCEL)) << "an OK button only";
        EXPECT_EQ(w.Owner().Caption(), kMain);
        EXPECT_FALSE(w.Owner().IsShown());
        EXPECT_EQ(w.Owner().ControlText(IDC_VERSE_TEXT), L"");
        w.Click(IDOK);
    });
    const std::pair<SYSTEMTIME, int> cases[] = {
        {At(2026, 2, 6), 37},
        {At(2008, 2, 29), 1},   // the leap day shares 1 January's reading
        {At(2000, 2, 29), 60},  // a century year has no leap day of its own
    };
    m_user.Expect(kMain, [this, &folder, &cases](WindowView& w) {
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), L"Verse 36:\r\n\r\n");
        folder.Write("solmiraverse.pdb", MakeBook());
        m_messages.Take();
        for (const auto& [date, verse] : cases) {
            SCOPED_TRACE(verse);
            w.PickDateTime(IDC_DATE, date);
            EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(verse));
            EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>({{WM_NOTIFY, IDC_DATE, DTN_DATETIMECHANGE}}))
                << "one notification a pick";
        }
        w.ChooseMenuCommand(ID_OPTIONS_ABOUT);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(60)) << "the main window keeps its verse";
        EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>({{WM_COMMAND, ID_OPTIONS_ABOUT, 0}, kOk}));
        w.SelectHiddenCalendarDate(IDC_CALENDAR, At(2026, 7, 1));
        EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>({{WM_NOTIFY, IDC_CALENDAR, MCN_SELCHANGE}}))
            << "setting the selection notifies nothing";
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(182));
        w.PressHiddenButton(IDC_ABOUT_BUTTON);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT).rfind(L"What is Solmira?", 0), 0u);
        w.PressHiddenButton(IDC_NEXT_BUTTON);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT).rfind(L"What is Solmira?", 0), 0u);
        folder.Remove("solmiraverse.pdb");
        w.PickDateTime(IDC_DATE, At(2026, 3, 1));
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), L"Verse 60:\r\n\r\n");
        // Month, day and year typed in turn show their date; Enter, which makes the field read
        // its text again, changes no date.
        EXPECT_TRUE(UserType(w.Control(IDC_DATE), L"12312007"));
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), L"Verse 365:\r\n\r\n");
        m_messages.Take();
        w.Key(VK_RETURN);
    });
    m_user.Expect(L"About Solmira", [](WindowView& w) {
        EXPECT_EQ(w.Owner().Caption(), kMain);
        EXPECT_FALSE(w.Owner().IsEnabled()) << "the main window is disabled meanwhile";
        EXPECT_EQ(w.ControlText(IDC_ABOUT_TEXT).rfind(L"What is Solmira?", 0), 0u);
        EXPECT_TRUE(w.HasFocus(IDOK));
        EXPECT_FALSE(w.IsVisible(IDCANCEL));
        // From its first line, with the rest below the fold.
        SCROLLINFO scroll{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(w.Control(IDC_ABOUT_TEXT), SB_VERT, &scroll));
        EXPECT_EQ(scroll.nPos, 0);
        EXPECT_GT(scroll.nMax - scroll.nMin + 1, static_cast<int>(scroll.nPage));
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>{kOk});
}

// The window follows the desktop's font and the reader: the zoom keys and a larger window
// give a larger reading, both found again at the next start; a state file that does not
// read as one is ignored.
TEST_F(ReadingWindowTest, TheReadingFollowsTheDesktopsFontTheZoomAndTheWindowsSize)
{
    ASSERT_TRUE(SetDesktopForTesting(14, nullptr));
    const auto size = [](const RECT& r) { return std::make_pair(r.right - r.left, r.bottom - r.top); };
    const auto points = [](WindowView& w) { return TextAttributePointSize(w.Control(IDC_VERSE_TEXT)); };
    int plain = 0, zoomed = 0;
    std::pair<int, int> first, grown;
    m_user.Expect(kMain, [&](WindowView& w) {
        plain = points(w);
        EXPECT_GE(plain, 12) << "the desktop's 14 points stand for the template's 8";
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        zoomed = points(w);
        EXPECT_GT(zoomed, plain);
        first = size(w.Rect());
        RECT box{}, grownBox{};
        GetWindowRect(w.Control(IDC_VERSE_TEXT), &box);
        SetWindowPos(w.Handle(), nullptr, 0, 0, first.first + 100, first.second + 150, SWP_NOMOVE | SWP_NOZORDER);
        grown = size(w.Rect());
        GetWindowRect(w.Control(IDC_VERSE_TEXT), &grownBox);
        EXPECT_GE(grown.first, first.first + 100);
        EXPECT_EQ(size(grownBox), std::make_pair(size(box).first + grown.first - first.first,
                                                 size(box).second + grown.second - first.second));
        w.Click(IDOK);
    });
    m_user.Expect(kMain, [&](WindowView& w) {
        EXPECT_EQ(points(w), zoomed);
        EXPECT_EQ(size(w.Rect()), grown);
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
            EXPECT_EQ(size(w.Rect()), first);
            w.Click(IDOK);
        });
        RunProgram();
    }
    SetDesktopForTesting(0, nullptr);
}

}  // namespace
