// The program's date and time fields: a request with a date-time that
// cannot exist changes nothing and sends nothing. And the program's windows in the styles
// and sizes of desktops: every control shows its content whole, and none covers another.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/testing/MessageRecorder.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/window/MessageLoop.h"
#include "platform/window/SyntheticInput.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "tests/TestFiles.h"

namespace
{

class ControlsTest : public ::testing::Test
{
protected:
    // Runs the dialog modally with the user doing step in it.
    void Run(UINT id, const std::function<void(WindowView&)>& step)
    {
        const DialogTemplate& dialogTemplate = *FindDialogTemplate(ProgramResources(), id);
        ScriptedUser user;
        user.Expect(dialogTemplate.caption, [&step](WindowView& w) {
            step(w);
            EndDialog(w.Handle(), IDOK);
        });
        const auto noHandlers = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
        HWND dialog = CreateDialogIndirectParam(ProgramResources(), &dialogTemplate, nullptr, noHandlers, 0);
        ASSERT_NE(dialog, nullptr);
        RunModalLoop(dialog);
        DestroyWindow(dialog);
    }

    TimeZoneGuard m_zone{"UTC0"};
    FixedClock m_clock{2026, 3, 21};
    MessageRecorder m_messages;
    ProgramFolder m_folder;  // where the windows' state goes
};

// The windows in the styles and sizes of desktops: every control shows its content whole,
// and none covers another; their date and time fields take no date-time that cannot exist.
TEST_F(ControlsTest, EveryControlShowsWholeAndApartAndNoBadDateTimeIsTaken)
{
    SetWindowLocaleForTesting("C");  // dates as "21 Mar 2026"
    const SYSTEMTIME bad[] = {At(2026, 13, 10),    At(2026, 4, 31),        At(2100, 2, 29),
                              At(2026, 5, 10, 24), At(2026, 5, 10, 7, 60), At(1600, 5, 10)};
    const std::pair<const char*, int> desktops[] = {{"Fusion", 9}, {"Adwaita", 11}, {"Adwaita", 14}, {"Fusion", 18}};
    for (const auto& [style, points] : desktops) {
        ASSERT_TRUE(SetDesktopForTesting(points, style)) << style << " is not installed";
        // Each window with its date or time field.
        for (const auto& [id, field] : {std::pair{IDD_MAIN, IDC_DATE}, {IDD_SETTINGS, IDC_RUN_TIME}, {IDD_ABOUT, 0}}) {
            SCOPED_TRACE(std::string(style) + " " + std::to_string(points) + " pt, window " + std::to_string(id));
            Run(id, [&, field = field](WindowView& w) {
                const std::vector<SeenControl> seen = SeenControls(w.Handle());
                for (size_t i = 0; i < seen.size(); ++i) {
                    EXPECT_TRUE(seen[i].whole) << "control " << seen[i].id << " cuts its content";
                    for (size_t j = 0; j < i; ++j) {
                        const RECT &a = seen[i].rect, &b = seen[j].rect;
                        EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top)
                            << "controls " << seen[i].id << " and " << seen[j].id << " overlap";
                    }
                }
                if (field == 0)
                    return;
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
    SetWindowLocaleForTesting("en_US");
}

}  // namespace
