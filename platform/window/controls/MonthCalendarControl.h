// A month calendar: the program reads its selection with MCM_GETCURSEL and sets it with
// MCM_SETCURSEL. The program's windows keep theirs hidden, so it is never built as a widget:
// it is its selection alone, which no user can change, and it sends no notification.
#pragma once

#include <QDate>

#include "platform/window/LocalDates.h"
#include "platform/window/Window.h"

struct MonthCalendarControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT GetCurSel(SYSTEMTIME* st) const;
    LRESULT SetCurSel(const SYSTEMTIME* st);

    // The calendar opens on the current local date.
    QDate m_selected = DateOf(Now());
};
