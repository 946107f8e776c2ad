// The date and time fields on a dialog of their own: a request with a date-time that
// cannot exist changes nothing and sends nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/testing/MessageRecorder.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "tests/TestFiles.h"

namespace
{

enum : int { kDate = 10, kTime };
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItemTemplate kItems[] = {
    {kDate, ControlClass::DateTimePicker, L"", 5, 5, 60, 12, kShown | DTS_SHORTDATEFORMAT, 0, 0},
    {kTime, ControlClass::DateTimePicker, L"", 70, 5, 60, 12, kShown | DTS_TIMEFORMAT, 0, 0},
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
