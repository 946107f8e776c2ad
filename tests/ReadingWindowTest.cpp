// The reading window driven as a user would: the real start-up runs in-process with a
// fixed clock, a pinned time zone and a temporary program folder.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/ModulePath.h"
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

const std::wstring kMainCaption = L"REZEZO 1.0";
const std::wstring kBookError =
    L"Failed to open book \"solmiraverse.pdb\"\nPlease download from https://www.example.org/solmira/";
const RecordedMessage kDateChanged{WM_NOTIFY, IDC_DATE, DTN_DATETIMECHANGE};

// Record k reads "Reading k", on two lines for every tenth record; record 200 is too
// long for one line.
std::string RecordText(int k)
{
    if (k == 200)
        return std::string(40, 'x') + " " + std::string(200, 'y') + " and more words that go on past the edge";
    return "Reading " + std::to_string(k) + (k % 10 == 0 ? "\nsecond line" : "");
}

std::wstring ShownText(int k)
{
    std::wstring shown = L"Verse " + std::to_wstring(k) + L":\r\n\r\n";
    for (char c : RecordText(k))
        shown += c == '\n' ? std::wstring(L"\r\n") : std::wstring(1, static_cast<wchar_t>(c));
    return shown;
}

std::string MakeBook()
{
    std::vector<std::string> records{"Test book"};
    for (int k = 1; k <= 365; ++k)
        records.push_back(RecordText(k));
    return BuildPalmDatabase("Test book", records);
}

// The verse text as the window holds it, without the soft breaks of wrapped lines.
std::wstring VerseText(const WindowView& window)
{
    std::wstring text = window.ControlText(IDC_VERSE_TEXT);
    for (size_t at = text.find(L"\r\r\n"); at != std::wstring::npos; at = text.find(L"\r\r\n", at))
        text.erase(at, 3);
    return text;
}

class ReadingWindowTest : public ::testing::Test
{
protected:
    // Settings are in place (no chime, no daily start), so no start asks for them.
    ReadingWindowTest() { m_folder.Write("slm.dat", std::string(24, '\0')); }

    int RunProgram() { return AfxWinMain(0, nullptr, ProgramResources()); }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2026, 2, 5, 9, 30};
    ProgramFolder m_folder;
    ScriptedUser m_user;
    MessageRecorder m_messages;
};

// Each way to end the program sends its command; before it, the window shows today's
// reading as the handheld laid it out, and sends nothing while the user reads.
TEST_F(ReadingWindowTest, StartWithTheBookShowsTodaysReadingUntilTheUserEndsIt)
{
    m_folder.Write("solmiraverse.pdb", MakeBook());
    const struct {
        const char* name;
        std::function<void(WindowView&)> end;
        RecordedMessage command;
    } endings[] = {
        {"bottom button", [](WindowView& w) { w.Click(IDOK); }, {WM_COMMAND, IDOK, BN_CLICKED}},
        {"Escape", [](WindowView& w) { w.Key(VK_ESCAPE); }, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        {"Enter", [](WindowView& w) { w.Key(VK_RETURN); }, {WM_COMMAND, IDOK, BN_CLICKED}},
    };
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.name);
        m_user.Expect(kMainCaption, [this, &ending](WindowView& w) {
            EXPECT_EQ(VerseText(w), ShownText(36));
            EXPECT_TRUE(w.HasFocus(IDC_DATE));
            EXPECT_TRUE(w.HasIcon());
            EXPECT_EQ(w.ControlText(IDOK), L"May All be Well and Happy!");
            EXPECT_FALSE(w.DoneButtonShown());
            EXPECT_TRUE(w.Style() & WS_NONAVDONEBUTTON);
            EXPECT_EQ(w.MenuBar(), std::vector<std::wstring>{L"&Options: About|-|&Settings"});
            // 138 dialog units of the 8-point interface font: about the handheld's 240
            // pixels, centred on the screen before the menu bar is put up below it.
            const RECT rect = w.Rect();
            RECT area{};
            ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
            EXPECT_NEAR(rect.right - rect.left, 240, 40);
            EXPECT_NEAR(rect.left + rect.right, area.left + area.right, 4);
            EXPECT_NEAR(rect.top + rect.bottom, area.top + area.bottom, 60);
            for (int hidden : {IDC_CALENDAR, IDC_SETTINGS_BUTTON, IDC_ABOUT_BUTTON, IDC_FIRST_BUTTON, IDC_LAST_BUTTON})
                EXPECT_FALSE(w.IsVisible(hidden)) << hidden;
            // The text box takes no typing.
            EXPECT_TRUE(UserType(w.Control(IDC_VERSE_TEXT), L"typed"));
            EXPECT_EQ(VerseText(w), ShownText(36));
            EXPECT_TRUE(m_messages.Take().empty());
            ending.end(w);
        });
        EXPECT_EQ(RunProgram(), 0);
        EXPECT_EQ(m_user.Remaining(), 0u);
        EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>{ending.command});
    }
    EXPECT_EQ(std::wstring(g_strAppDir), DevicePathFromHostPath(m_folder.Path() + "/"));
}

// The missing book is reported once; the window shows headings until a book is put in
// place, which the next date reads, and again when it is gone.
TEST_F(ReadingWindowTest, WithoutTheBookTheErrorComesOnceAndABookPutInPlaceIsRead)
{
    const ProgramFolder& folder = m_folder;
    m_user.Expect(L"Error!", [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), kBookError);
        EXPECT_TRUE(w.Exists(IDOK));
        EXPECT_FALSE(w.Exists(IDCANCEL)) << "an OK button only";
        // The box belongs to the main window, which is not shown yet and shows no verse yet.
        EXPECT_EQ(w.Owner().Caption(), kMainCaption);
        EXPECT_FALSE(w.Owner().IsShown());
        EXPECT_EQ(w.Owner().ControlText(IDC_VERSE_TEXT), L"");
        w.Click(IDOK);
    });
    m_user.Expect(kMainCaption, [&folder](WindowView& w) {
        EXPECT_EQ(VerseText(w), L"Verse 36:\r\n\r\n");
        folder.Write("solmiraverse.pdb", MakeBook());
        EXPECT_EQ(VerseText(w), L"Verse 36:\r\n\r\n");
        w.PickDateTime(IDC_DATE, At(2026, 2, 6));
        EXPECT_EQ(VerseText(w), ShownText(37));
        folder.Remove("solmiraverse.pdb");
        w.PickDateTime(IDC_DATE, At(2026, 3, 1));
        EXPECT_EQ(VerseText(w), L"Verse 60:\r\n\r\n");
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(m_user.Remaining(), 0u);
}

TEST_F(ReadingWindowTest, ChangingTheDateShowsItsReading)
{
    m_folder.Write("solmiraverse.pdb", MakeBook());
    struct Case {
        SYSTEMTIME date;
        int verse;
    };
    const Case cases[] = {
        {At(2008, 2, 29), 1},    // the leap day shares 1 January's reading
        {At(2000, 2, 29), 60},   // a century year has no leap day of its own
        {At(2026, 7, 19), 200},  // a reading long enough to wrap
    };
    m_user.Expect(kMainCaption, [this, &cases](WindowView& w) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::PrintToString(Fields(c.date)));
            w.PickDateTime(IDC_DATE, c.date);
            EXPECT_EQ(VerseText(w), ShownText(c.verse));
            // Wrapped lines read back with soft breaks, which VerseText takes out.
            EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT).find(L"\r\r\n") != std::wstring::npos, c.verse == 200);
            EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>{kDateChanged}) << "one notification a pick";
        }
        // Typed into the field, month, day and year in turn: each field that changes the
        // date notifies, and the last shows its reading.
        w.Type(IDC_DATE, L"12312007");
        EXPECT_EQ(VerseText(w), ShownText(365));
        EXPECT_FALSE(m_messages.Take().empty());
        w.Click(IDOK);
    });
    RunProgram();
}

// Options > About shows the About text over the disabled main window, which keeps its
// verse; the hidden controls still answer their handlers, and buttons with none do nothing.
TEST_F(ReadingWindowTest, OptionsAboutAndTheHiddenControls)
{
    m_folder.Write("solmiraverse.pdb", MakeBook());
    AfxSetResourceHandle(ProgramResources());
    CString about;
    ASSERT_TRUE(about.LoadString(IDS_ABOUT_TEXT));
    m_user.Expect(kMainCaption, [this](WindowView& w) {
        for (int i = 0; i < 2; ++i)
            w.ChooseMenuCommand(ID_OPTIONS_ABOUT);
        EXPECT_EQ(VerseText(w), ShownText(36)) << "the main window keeps its verse";
        const std::vector<RecordedMessage> expected = {
            {WM_COMMAND, ID_OPTIONS_ABOUT, 0},
            {WM_COMMAND, IDOK, BN_CLICKED},  // About, Done
            {WM_COMMAND, ID_OPTIONS_ABOUT, 0},
            {WM_COMMAND, IDCANCEL, BN_CLICKED},  // About, Escape
        };
        EXPECT_EQ(m_messages.Take(), expected);
        w.SelectHiddenCalendarDate(IDC_CALENDAR, At(2026, 12, 31));
        EXPECT_EQ(VerseText(w), ShownText(365));
        w.PressHiddenButton(IDC_ABOUT_BUTTON);
        EXPECT_EQ(VerseText(w).rfind(L"What is Solmira?", 0), 0u);
        w.PressHiddenButton(IDC_NEXT_BUTTON);
        EXPECT_EQ(VerseText(w).rfind(L"What is Solmira?", 0), 0u);
        w.Click(IDOK);
    });
    for (const WORD key : {WORD(0), WORD(VK_ESCAPE)}) {
        m_user.Expect(L"About Solmira", [&about, key](WindowView& w) {
            EXPECT_EQ(w.Owner().Caption(), kMainCaption);
            EXPECT_FALSE(w.Owner().IsEnabled()) << "the main window is disabled meanwhile";
            EXPECT_EQ(w.ControlText(IDC_ABOUT_TEXT), about.Str());
            EXPECT_TRUE(w.HasFocus(IDOK));
            EXPECT_TRUE(w.Exists(IDCANCEL));
            EXPECT_FALSE(w.IsVisible(IDCANCEL));
            EXPECT_TRUE(w.MenuBar().empty());
            // From its first line, with the rest below the fold; the user cannot edit it.
            SCROLLINFO scroll{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
            ASSERT_TRUE(GetScrollInfo(w.Control(IDC_ABOUT_TEXT), SB_VERT, &scroll));
            EXPECT_EQ(scroll.nPos, 0);
            EXPECT_GT(scroll.nMax - scroll.nMin + 1, static_cast<int>(scroll.nPage));
            EXPECT_TRUE(UserType(w.Control(IDC_ABOUT_TEXT), L"typed"));
            EXPECT_EQ(w.ControlText(IDC_ABOUT_TEXT), about.Str());
            key ? w.Key(key) : w.Click(IDOK);
        });
    }
    RunProgram();
    EXPECT_EQ(m_user.Remaining(), 0u);
}

TEST_F(ReadingWindowTest, AProgramPathWithoutABackslashLooksBesideTheWorkingFolder)
{
    m_folder.Write("solmiraverse.pdb", MakeBook());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(m_folder.Path().c_str()), 0);
    SetModulePathForTesting("solmira");
    m_user.Expect(kMainCaption, [](WindowView& w) {
        EXPECT_EQ(VerseText(w), ShownText(36));
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_TRUE(g_strAppDir.IsEmpty());
    ASSERT_EQ(chdir(previous), 0);
}

TEST_F(ReadingWindowTest, AWindowTheTestDoesNotHandleFailsAndIsClosed)
{
    // No step expects either window: both fail the test and are closed, so the run ends.
    ::testing::TestPartResultArray failures;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        RunProgram();
    }
    ASSERT_EQ(failures.size(), 2);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("Error!"), std::string::npos);
    EXPECT_NE(std::string(failures.GetTestPartResult(1).message()).find("REZEZO 1.0"), std::string::npos);
}

// The window follows the desktop's font and the reader: the zoom keys and a larger window
// give a larger reading, both found again at the next start; a state file that does not
// read as one is ignored.
TEST_F(ReadingWindowTest, TheReadingFollowsTheDesktopsFontTheZoomAndTheWindowsSize)
{
    m_folder.Write("solmiraverse.pdb", MakeBook());
    ASSERT_TRUE(SetDesktopForTesting(14, nullptr));
    const auto size = [](const RECT& r) { return std::make_pair(r.right - r.left, r.bottom - r.top); };
    int points = 0, zoomed = 0;
    RECT first{}, grown{};
    m_user.Expect(kMainCaption, [&](WindowView& w) {
        points = TextAttributePointSize(w.Control(IDC_VERSE_TEXT));
        EXPECT_GE(points, 12) << "the desktop's 14 points stand for the template's 8";
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        EXPECT_TRUE(UserControlKey(w.Handle(), VK_OEM_PLUS));
        zoomed = TextAttributePointSize(w.Control(IDC_VERSE_TEXT));
        EXPECT_GT(zoomed, points);
        first = w.Rect();
        RECT box{};
        GetWindowRect(w.Control(IDC_VERSE_TEXT), &box);
        SetWindowPos(w.Handle(), nullptr, 0, 0, first.right - first.left + 100, first.bottom - first.top + 150,
                     SWP_NOMOVE | SWP_NOZORDER);
        grown = w.Rect();
        RECT grownBox{};
        GetWindowRect(w.Control(IDC_VERSE_TEXT), &grownBox);
        EXPECT_GE(grown.right - grown.left, first.right - first.left + 100);
        EXPECT_EQ(size(grownBox), std::make_pair(box.right - box.left + grown.right - grown.left - size(first).first,
                                                 box.bottom - box.top + grown.bottom - grown.top - size(first).second));
        w.Click(IDOK);
    });
    m_user.Expect(kMainCaption, [&](WindowView& w) {
        EXPECT_EQ(TextAttributePointSize(w.Control(IDC_VERSE_TEXT)), zoomed);
        EXPECT_EQ(size(w.Rect()), size(grown));
        EXPECT_TRUE(UserControlKey(w.Handle(), '0'));
        EXPECT_EQ(TextAttributePointSize(w.Control(IDC_VERSE_TEXT)), points);
        w.Click(IDOK);
    });
    RunProgram();
    RunProgram();
    const std::string hostile[] = {
        "zoom 1000000\nsize 102 99999 99999\n",   "zoom -3x\nsize 102 -400 -400\n", "size 102 1 1\n",
        "zoom 5" + std::string(5000, ' ') + "\n", std::string("zoom\0\xff\n5", 9),
    };
    for (const std::string& state : hostile) {
        SCOPED_TRACE(testing::PrintToString(state.substr(0, 40)));
        m_folder.Write("state/solmira/windows", state);
        m_user.Expect(kMainCaption, [&](WindowView& w) {
            EXPECT_EQ(TextAttributePointSize(w.Control(IDC_VERSE_TEXT)), points);
            EXPECT_EQ(size(w.Rect()), size(first));
            w.Click(IDOK);
        });
        RunProgram();
    }
    SetDesktopForTesting(0, nullptr);
}

}  // namespace
