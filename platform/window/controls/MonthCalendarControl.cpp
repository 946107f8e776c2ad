// The month calendar's selection, within the dates a date control takes.
#include "platform/window/controls/MonthCalendarControl.h"

#include <algorithm>

LRESULT MonthCalendarControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case MCM_GETCURSEL:
            return GetCurSel(reinterpret_cast<SYSTEMTIME*>(lParam));
        case MCM_SETCURSEL:
            return SetCurSel(reinterpret_cast<const SYSTEMTIME*>(lParam));
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

LRESULT MonthCalendarControl::GetCurSel(SYSTEMTIME* st) const
{
    if (st == nullptr)
        return FALSE;
    *st = SYSTEMTIME{};
    SetDate(*st, m_selected);
    return TRUE;
}

// Setting the selection sends no notification; a date that does not exist leaves it as it
// was, and one outside the range is taken as the range's nearest end.
LRESULT MonthCalendarControl::SetCurSel(const SYSTEMTIME* st)
{
    if (st == nullptr || !DateOf(*st).isValid())
        return FALSE;
    m_selected = std::clamp(DateOf(*st), kFirstControlDate, kLastControlDate);
    return TRUE;
}
