// The controls of the window system on a dialog of their own: what the program's requests
// and the user's input send to the dialog, and that a bad request changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/testing/MessageRecorder.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/SyntheticInput.h"
#include "tests/TestFiles.h"

namespace
{

enum : int { kDate = 10, kTime, kCheck, kButton, kDisabledButton, kCalendar, kText };
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItemTemplate kItems[] = {
    {kDate, ControlClass::DateTimePicker, L"", 5, 5, 60, 12, kShown | DTS_SHORTDATEFORMAT, 0, 0},
    {kTime, ControlClass::DateTimePicker, L"", 70, 5, 60, 12, kShown | DTS_TIMEFORMAT, 0, 0},
    {kCheck, ControlClass::Button, L"Check", 5, 20, 60, 10, kShown | BS_AUTOCHECKBOX, 0, 0},
    {kButton, ControlClass::Button, L"Push", 70, 20, 40, 14, kShown | BS_PUSHBUTTON, 0, 0},
    {kDisabledButton, ControlClass::Button, L"Off", 110, 20, 40, 14, kShown | WS_DISABLED, 0, 0},
    {kCalendar, ControlClass::MonthCalendar, L"", 5, 40, 140, 100, kShown, 0, 0},
    {kText, ControlClass::Edit, L"", 5, 145, 140, 30, kShown | ES_MULTILINE, 0, 0},
};
const DialogTemplate kDialog = {1,         WS_POPUP | WS_CAPTION, 0, 0, 0, 150, 180, L"Controls", 8,
                                L"System", MakeTable(kItems)};

LRESULT NoHandlers(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

class ControlsTest : public ::testing::Test
{
protected:
    // Runs the dialog modally with the user doing step in it.
    void Run(const std::function<void(WindowView&)>& step)
    {
        ScriptedUser user;
        user.Expect(L"Controls", [&step](WindowView& w) {
            step(w);
            EndDialog(w.Handle(), IDOK);
        });
        HWND dialog = CreateDialogIndirectParam(nullptr, &kDialog, nullptr, &NoHandlers, 0);
        ASSERT_NE(dialog, nullptr);
        RunModalLoop(dialog);
        DestroyWindow(dialog);
        EXPECT_FALSE(IsWindow(dialog));
    }

    TimeZoneGuard m_zone{"UTC0"};
    FixedClock m_clock{2026, 6, 15, 9, 30};
    MessageRecorder m_messages;
};

TEST_F(ControlsTest, OnlyTheUsersInputNotifiesTheDialog)
{
    const SYSTEMTIME newDate = At(2027, 1, 2, 9, 30);
    using Messages = std::vector<RecordedMessage>;
    const struct {
        const char* name;
        std::function<void(WindowView&)> act;
        Messages sent;
    } cases[] = {
        {"the program sets a date",
         [&](WindowView& w) {
             EXPECT_TRUE(
                 SendMessage(w.Control(kDate), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&newDate)));
             EXPECT_EQ(w.Time(kDate).wYear, 2027);
         },
         {}},
        {"the program ticks a box",
         [](WindowView& w) {
             SendMessage(w.Control(kCheck), BM_SETCHECK, BST_CHECKED, 0);
             EXPECT_TRUE(w.IsChecked(kCheck));
         },
         {}},
        {"the program selects a day",
         [&](WindowView& w) {
             EXPECT_TRUE(SendMessage(w.Control(kCalendar), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&newDate)));
         },
         {}},
        {"the program sets a text", [](WindowView& w) { EXPECT_TRUE(SetWindowText(w.Control(kText), L"text")); }, {}},
        {"the user picks a date",
         [&](WindowView& w) { w.PickDateTime(kDate, newDate); },
         {{WM_NOTIFY, kDate, DTN_DATETIMECHANGE}}},
        {"the user sets a time",
         [](WindowView& w) { w.PickDateTime(kTime, At(2026, 6, 15, 7, 45)); },
         {{WM_NOTIFY, kTime, DTN_DATETIMECHANGE}}},
        {"the user ticks a box",
         [](WindowView& w) {
             w.Click(kCheck);
             EXPECT_TRUE(w.IsChecked(kCheck));
         },
         {{WM_COMMAND, kCheck, BN_CLICKED}}},
        {"the user clicks a button", [](WindowView& w) { w.Click(kButton); }, {{WM_COMMAND, kButton, BN_CLICKED}}},
        {"the user clicks a disabled button", [](WindowView& w) { w.Click(kDisabledButton); }, {}},
        {"the user presses Escape", [](WindowView& w) { w.Key(VK_ESCAPE); }, {{WM_COMMAND, IDCANCEL, BN_CLICKED}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](WindowView& w) {
            m_messages.Take();
            c.act(w);
            EXPECT_EQ(m_messages.Take(), c.sent);
        });
    }
}

TEST_F(ControlsTest, ABadDateTimeLeavesTheFieldAsItWas)
{
    const struct {
        const char* name;
        SYSTEMTIME time;
    } cases[] = {
        {"month 0", At(2026, 0, 10)},
        {"month 13", At(2026, 13, 10)},
        {"day 0", At(2026, 5, 0)},
        {"31 April", At(2026, 4, 31)},
        {"29 February 2100", At(2100, 2, 29)},
        {"hour 24", At(2026, 5, 10, 24)},
        {"minute 60", At(2026, 5, 10, 7, 60)},
        {"second 60", At(2026, 5, 10, 7, 30, 60)},
        {"year 1600", At(1600, 5, 10)},
        {"year 10000", At(10000, 5, 10)},
    };
    Run([&](WindowView& w) {
        for (const int field : {kDate, kTime}) {
            const std::vector<int> before = Fields(w.Time(field));
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(c.name) + (field == kDate ? " in the date field" : " in the time field"));
                EXPECT_FALSE(
                    SendMessage(w.Control(field), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&c.time)));
                EXPECT_EQ(Fields(w.Time(field)), before);
            }
            EXPECT_FALSE(SendMessage(w.Control(field), DTM_SETSYSTEMTIME, GDT_VALID, 0));
            EXPECT_EQ(SendMessage(w.Control(field), DTM_GETSYSTEMTIME, 0, 0), GDT_ERROR);
        }
        EXPECT_TRUE(m_messages.Take().empty());
    });
}

}  // namespace
