// The program's windows driven as a user would: the real start-up runs in-process with a
// fixed clock, a pinned time zone and a temporary program folder. And the windows in the
// styles and sizes of desktops, each alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/framework/CDialog.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/MessageRecorder.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/SyntheticInput.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/MessageLoop.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::wstring kMain = L"REZEZO 1.0";
const std::wstring kSettings = L"Settings";
const std::wstring kReminder = L"Support Notice";
const RecordedMessage kOk{WM_COMMAND, IDOK, BN_CLICKED};

const auto ClickOk = [](WindowView& w) { w.Click(IDOK); };

// Record k of the book reads "Reading k".
std::wstring ShownText(int k)
{
    return L"Verse " + std::to_wstring(k) + L":\r\n\r\nReading " + std::to_wstring(k);
}

// The shown controls of a window that overlap, as "a and b; "; empty when they lie apart.
std::string Overlapping(HWND window)
{
    const std::vector<SeenControl> seen = SeenControls(window);
    std::string overlapping;
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            const RECT &a = seen[i].rect, &b = seen[j].rect;
            if (a.right > b.left && b.right > a.left && a.bottom > b.top && b.bottom > a.top)
                overlapping += std::to_string(seen[i].id) + " and " + std::to_string(seen[j].id) + "; ";
        }
    return overlapping;
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
    std::string Settings() const { return ReadAll(m_folder.PathOf("slm.dat")); }
    // Runs one of the program's windows modally as a plain dialog, without the program's
    // handlers, with the user doing step in it.
    void Run(UINT id, const std::function<void(WindowView&)>& step)
    {
        AfxSetResourceHandle(ProgramResources());
        m_user.Expect(FindDialogTemplate(ProgramResources(), id)->caption, [&step](WindowView& w) {
            step(w);
            EndDialog(w.Handle(), IDOK);
        });
        CDialog(id).DoModal();
    }

    TimeZoneGuard m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    FixedClock m_clock{2026, 2, 5, 9, 30};
    ProgramFolder m_folder;
    RecordingStartAtTime m_scheduler;
    ScriptedUser m_user;
    MessageRecorder m_messages;
};
// The Settings window and the first start, through the same start.
using SettingsWindowTest = ReadingWindowTest;
// The windows alone, as the program's templates make them.
using ControlsTest = ReadingWindowTest;

// The missing book is reported once, over the main window not yet shown, which shows
// headings until a book is put in place; then a picked or typed date shows its reading.
// The day keys step the date as the user's own change of it. Options > About shows the
// About text over the disabled main window; the hidden controls still answer their
// handlers, and Enter, which makes the date field read its text again, changes no date and
// ends the window.
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
        RECT window{}, area{};
        EXPECT_TRUE(GetWindowRect(w.Handle(), &window) && SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
        EXPECT_NEAR(window.left + window.right, area.left + area.right, 1) << "in the middle of the screen";
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
        w.Type(IDC_DATE, L"12312007");  // month, day and year in turn
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(365));
        EXPECT_EQ(w.Time(IDC_DATE).wYear, 2007) << "the year has four digits, though the locale's short date has two";
        m_messages.Take();
        for (const auto& [key, held, verse] : std::vector<std::tuple<WORD, WORD, int>>{{VK_RIGHT, VK_MENU, 1},
                                                                                       {VK_LEFT, VK_MENU, 365},
                                                                                       {VK_NEXT, VK_CONTROL, 1},
                                                                                       {VK_PRIOR, VK_CONTROL, 365},
                                                                                       {VK_HOME, VK_MENU, 36}}) {
            w.Key(key, held);
            EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), ShownText(verse)) << key;
            EXPECT_EQ(m_messages.Take(), std::vector<RecordedMessage>({{WM_NOTIFY, IDC_DATE, DTN_DATETIMECHANGE}}));
        }
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
        EXPECT_FALSE(w.DoneButtonShown());
        for (int hidden : {IDC_CALENDAR, IDC_SETTINGS_BUTTON, IDC_ABOUT_BUTTON, IDC_FIRST_BUTTON, IDC_LAST_BUTTON})
            EXPECT_FALSE(w.IsVisible(hidden)) << hidden;
        plain = points(w);
        EXPECT_GE(plain, 12) << "the desktop's 14 points stand for the template's 8";
        w.Key(VK_OEM_PLUS, VK_CONTROL);
        w.CtrlWheel(IDC_VERSE_TEXT);
        zoomed = points(w);
        EXPECT_GT(zoomed, plain);
        w.Key(VK_OEM_MINUS, VK_CONTROL);
        EXPECT_LT(points(w), zoomed);
        w.CtrlWheel(IDC_VERSE_TEXT);  // a notch is a step, however many came before
        EXPECT_EQ(points(w), zoomed);
        first = size(w.Handle());
        const std::pair<int, int> box = size(w.Control(IDC_VERSE_TEXT));
        // Made as small as it goes, the box gives up its room and the button moves up with it.
        SetWindowPos(w.Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
        RECT window{}, button{};
        EXPECT_TRUE(GetWindowRect(w.Handle(), &window) && GetWindowRect(w.Control(IDOK), &button));
        EXPECT_LT(window.bottom - window.top, first.second - box.second / 2);
        EXPECT_LE(button.bottom, window.bottom);
        EXPECT_EQ(Overlapping(w.Handle()), "") << "the button is pushed under the menu bar";
        SetWindowPos(w.Handle(), nullptr, 0, 0, first.first + 100, first.second + 150, SWP_NOMOVE | SWP_NOZORDER);
        grown = size(w.Handle());
        EXPECT_GE(grown.first, first.first + 100);
        EXPECT_EQ(size(w.Control(IDC_VERSE_TEXT)),
                  std::make_pair(box.first + grown.first - first.first, box.second + grown.second - first.second));
        w.ChooseMenuCommand(ID_OPTIONS_ABOUT);  // its own zoom leaves the reading's as it is
        EXPECT_TRUE(WaitWhileWindowsRun([&] { return GetParent(GetFocus()) == w.Handle(); }, 2))
            << "the reading window is not active again";
        w.Key(VK_ESCAPE);
    });
    m_user.Expect(L"About Solmira", [&](WindowView& w) {
        const int opened = TextAttributePointSize(w.Control(IDC_ABOUT_TEXT));
        for (int i = 0; i < 3; ++i)
            w.Key(VK_OEM_PLUS, VK_CONTROL);
        EXPECT_GT(TextAttributePointSize(w.Control(IDC_ABOUT_TEXT)), opened);
        w.Key(VK_ESCAPE);
    });
    m_user.Expect(kMain, [&](WindowView& w) {
        EXPECT_EQ(points(w), zoomed);
        EXPECT_EQ(size(w.Handle()), grown);
        w.Key('0', VK_CONTROL);
        EXPECT_EQ(points(w), plain);
        w.Click(IDOK);
    });
    RunProgram();
    RunProgram();
    // What lies in the state file's place, by a row's first letter: f a file, l a link to a
    // file of the user's, d a folder, p a FIFO; then the file's bytes. A file of its own is
    // replaced at the close; a link, a file too large, a folder or a FIFO is left as it is.
    // A size larger than the screen is cut to it.
    RECT area{};
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
    const std::pair<int, int> screen(area.right - area.left, area.bottom - area.top);
    const std::string state = m_folder.PathOf("state/solmira/windows"), other = m_folder.PathOf("other");
    const std::string large = "zoom 5" + std::string(13000, ' ') + "\n";
    const auto seen = [&] {
        return std::to_string(int(std::filesystem::symlink_status(state).type())) +
               (std::filesystem::is_regular_file(state) ? ReadAll(state) : "");
    };
    for (const std::string& row :
         {std::string("fzoom 1000000\nsize 102 99999 99999\n"), std::string("fzoom -3x\nsize 102 -400 -400\n"),
          std::string("fsize 102 1 1\n"), std::string("fzoom\0\xff\n5", 10), "f" + large, std::string("lmy notes\n"),
          "l" + large, std::string("d"), std::string("p")}) {
        const char kind = row[0];
        const std::string bytes = row.substr(1);
        SCOPED_TRACE(testing::PrintToString(row.substr(0, 40)));
        std::filesystem::remove_all(state);
        WriteFile(kind == 'f' ? state : other, bytes);
        if (kind == 'l')
            std::filesystem::create_symlink(other, state);
        if (kind == 'd')
            std::filesystem::create_directory(state);
        if (kind == 'p')
            ::mkfifo(state.c_str(), 0600);
        const std::string before = seen();
        m_user.Expect(kMain, [&](WindowView& w) {
            EXPECT_EQ(points(w), plain);
            EXPECT_EQ(size(w.Handle()), row.find(" 99999") != std::string::npos ? screen : first);
            w.Click(IDOK);
        });
        RunProgram();
        if (kind == 'f' && bytes != large) {
            const std::string left = ReadAll(state);
            EXPECT_TRUE(left.rfind("zoom 0\nsize 102 ", 0) == 0 && left.find("maximized") == std::string::npos) << left;
        } else {
            EXPECT_TRUE(seen() == before) << "replaced";
        }
    }
    // A window left maximized opens so, and keeps the normal size it comes back to.
    std::filesystem::remove_all(state);
    const std::string maximized =
        "zoom 0\nsize 102 " + std::to_string(first.first) + " " + std::to_string(first.second) + "\nmaximized 102\n";
    WriteFile(state, maximized);
    m_user.Expect(kMain, [&](WindowView& w) { w.Click(IDOK); });
    RunProgram();
    EXPECT_EQ(ReadAll(state), maximized);
    SetDesktopForTesting(0, nullptr);
}

// A save that cannot be made at the first start, with a folder in the way of slm.dat, is
// told, the window still closes, and no start is registered, as there are no settings. A
// full disk fails the save alike (FileReplacementTest).
TEST_F(SettingsWindowTest, ASaveThatCannotBeMadeIsToldAndRegistersNoStart)
{
    m_folder.Remove("slm.dat");
    std::filesystem::create_directory(m_folder.PathOf("slm.dat"));
    m_user.Expect(kSettings, [](WindowView& w) {
        w.Click(IDC_AUTORUN);  // the reminder comes, and then the message
        w.Click(IDOK);
    });
    m_user.Expect(kReminder, ClickOk);
    m_user.Expect(kSettings, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"The settings could not be saved.");
        w.Click(IDOK);
    });
    m_user.Expect(kMain, ClickOk);
    RunProgram();
    EXPECT_FALSE(std::filesystem::is_regular_file(m_folder.PathOf("slm.dat")));
    EXPECT_EQ(m_scheduler.calls.size(), 1u) << "the start-up's cancel alone";
    EXPECT_TRUE(m_scheduler.pending.empty());
}

// From the menu, a window that opens with AutoRun on reminds at once, before it is shown; a
// stored time that the clock skips today (02:30 on the day of the spring change) is shown,
// confirmed and saved as it was chosen. Opened again from the hidden button, given another
// time and unticked, it saves that time with AutoRun off, which cancels the start, and the
// verse stays as it was.
TEST_F(SettingsWindowTest, TheSettingsWindowFromTheMenu)
{
    m_folder.Write("slm.dat", SettingsBytes(0, 1, {2027, 3, 0, 28, 2, 30, 15}));
    m_clock.Set(2027, 3, 28, 1, 0);
    m_user.Expect(kMain, [this](WindowView& w) {
        const std::wstring verse = w.ControlText(IDC_VERSE_TEXT);
        w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
        EXPECT_EQ(Settings(), SettingsBytes(0, 1, {2027, 3, 0, 28, 2, 30, 15}));
        w.PressHiddenButton(IDC_SETTINGS_BUTTON);
        EXPECT_EQ(w.ControlText(IDC_VERSE_TEXT), verse) << "the text box is not refreshed";
        w.Click(IDOK);
    });
    m_user.Expect(kReminder, [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"Please remember to turn off \"AutoRun\" before removing DEDUVO.EXE.");
        EXPECT_EQ(w.Owner().Caption(), kSettings);
        EXPECT_FALSE(w.Owner().IsShown());
        w.Click(IDOK);
    });
    m_user.Expect(kSettings, [](WindowView& w) {
        EXPECT_TRUE(w.IsChecked(IDC_AUTORUN));
        EXPECT_TRUE(w.IsEnabled(IDC_RUN_TIME));
        const SYSTEMTIME time = w.Time(IDC_RUN_TIME);
        EXPECT_EQ(std::vector<int>({time.wHour, time.wMinute, time.wSecond}), std::vector<int>({2, 30, 15}));
        w.Click(IDOK);
    });
    m_user.Expect(L"Autorun", [](WindowView& w) {
        EXPECT_EQ(w.MessageText(), L"DEDUVO will next run on 28 of Mar, 2027 at 2:30");
        w.Click(IDOK);
    });
    m_user.Expect(kReminder, ClickOk);
    m_user.Expect(kSettings, [](WindowView& w) {
        w.PickDateTime(IDC_RUN_TIME, SYSTEMTIME{2027, 3, 0, 28, 7, 45, 15, 0});  // a time of the user's
        w.Click(IDC_AUTORUN);  // unticked: no message, the time field disabled at once
        EXPECT_FALSE(w.IsEnabled(IDC_RUN_TIME));
        w.Click(IDC_BELL_CHIME);
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(Settings(), SettingsBytes(1, 0, {2027, 3, 0, 28, 7, 45, 15}));
    EXPECT_TRUE(m_scheduler.pending.empty()) << "AutoRun off cancels";
}

// The windows in the styles and sizes of desktops: every control shows its content whole,
// and none covers another; a check box shows on a dark window; the date field's calendar drops from its right edge;
// their date and time fields take no date-time that cannot exist.
TEST_F(ControlsTest, EveryControlShowsWholeAndApartAndNoBadDateTimeIsTaken)
{
    m_clock.Set(2026, 3, 21);
    const TestSeam<std::string, SetWindowLocaleForTesting> locale("C");  // dates as "21 Mar 2026"
    const SYSTEMTIME bad[] = {At(2026, 13, 10),    At(2026, 4, 31),        At(2100, 2, 29),
                              At(2026, 5, 10, 24), At(2026, 5, 10, 7, 60), At(1600, 5, 10)};
    const std::pair<const char*, int> desktops[] = {{"Fusion", 9}, {"Adwaita", 11}, {"Adwaita", 14}, {"Fusion", 18}};
    for (const auto& [style, points] : desktops) {
        ASSERT_TRUE(SetDesktopForTesting(points, style)) << style << " is not installed";
        // Each window with its date or time field.
        for (const auto& [id, field] : {std::pair{IDD_MAIN, IDC_DATE}, {IDD_SETTINGS, IDC_RUN_TIME}, {IDD_ABOUT, 0}}) {
            SCOPED_TRACE(std::string(style) + " " + std::to_string(points) + " pt, window " + std::to_string(id));
            Run(id, [&, id = id, field = field](WindowView& w) {
                for (const SeenControl& control : SeenControls(w.Handle()))
                    EXPECT_TRUE(control.whole) << "control " << control.id << " cuts its content";
                EXPECT_EQ(Overlapping(w.Handle()), "");
                if (id == IDD_SETTINGS) {
                    EXPECT_GE(UntickedBoxApartInTheDark(w.Control(IDC_AUTORUN)), 24)
                        << "the box vanishes on a dark window";
                }
                if (field == 0)
                    return;
                RECT box{};
                if (id == IDD_MAIN && GetWindowRect(w.Control(field), &box)) {
                    const RECT calendar = w.OpenDropDown(field);
                    EXPECT_EQ(std::make_pair(calendar.right, calendar.top), std::make_pair(box.right, box.bottom));
                }
                const std::vector<int> before = Fields(w.Time(field));
                for (const SYSTEMTIME& time : bad) {
                    EXPECT_FALSE(
                        SendMessage(w.Control(field), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)));
                    EXPECT_EQ(Fields(w.Time(field)), before) << testing::PrintToString(Fields(time));
                }
                EXPECT_FALSE(SendMessage(w.Control(field), DTM_SETSYSTEMTIME, GDT_VALID, 0));
                EXPECT_TRUE(m_messages.Take().empty());
            });
        }
    }
    SetDesktopForTesting(0, nullptr);
}

}  // namespace
