// The month calendar as a Qt calendar.
#include "platform/window/controls/MonthCalendarControl.h"

#include <QCalendarWidget>

#include "platform/window/dialog/DialogWindow.h"
#include "platform/window/LocalDates.h"

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
    auto* calendar = qobject_cast<QCalendarWidget*>(widget);
    if (st == nullptr || calendar == nullptr)
        return FALSE;
    *st = SYSTEMTIME{};
    SetDate(*st, calendar->selectedDate());
    return TRUE;
}

// Setting the selection, unlike the user's pick, sends no notification; a date that does
// not exist leaves it as it was.
LRESULT MonthCalendarControl::SetCurSel(const SYSTEMTIME* st)
{
    auto* calendar = qobject_cast<QCalendarWidget*>(widget);
    if (st == nullptr || calendar == nullptr || !DateOf(*st).isValid())
        return FALSE;
    const QSignalBlocker quiet(calendar);
    calendar->setSelectedDate(DateOf(*st));
    return TRUE;
}

void MonthCalendarControl::Notify(int code)
{
    NMSELCHANGE change{};
    change.nmhdr.code = code;
    GetCurSel(&change.stSelStart);
    change.stSelEnd = change.stSelStart;
    SendNotify(this, &change.nmhdr);
}

std::unique_ptr<Window> MonthCalendarControl::Create(DialogWindow* dialog)
{
    auto control = std::make_unique<MonthCalendarControl>();
    auto* calendar = new QCalendarWidget(dialog->widget);
    control->Adopt(calendar);
    calendar->setDateRange(kFirstControlDate, kLastControlDate);
    calendar->setSelectedDate(DateOf(Now()));
    MonthCalendarControl* self = control.get();
    QObject::connect(calendar, &QCalendarWidget::selectionChanged, calendar, [self] { self->Notify(MCN_SELCHANGE); });
    QObject::connect(calendar, &QCalendarWidget::activated, calendar, [self] { self->Notify(MCN_SELECT); });
    return control;
}
