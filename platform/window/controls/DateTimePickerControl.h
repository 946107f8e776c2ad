// A date or time field (the date-and-time picker). It holds a whole local date-time; the
// field shows and edits the date, or the time of day, and the rest of the value comes back
// unchanged. The user's edits reach the dialog as DTN_DATETIMECHANGE; the program's
// DTM_SETSYSTEMTIME sends nothing.
#pragma once

#include <memory>

#include "platform/window/LocalDates.h"
#include "platform/window/Window.h"

class QDate;
class QTime;
struct DialogWindow;

struct DateTimePickerControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::unique_ptr<Window> Create(DialogWindow* dialog, const DialogItemTemplate& item);

    // The field starts at the current local date-time.
    SYSTEMTIME value = Now();

private:
    LRESULT GetSystemTime(SYSTEMTIME* st) const;
    LRESULT SetSystemTime(const SYSTEMTIME* st);
    void OnUserChangedDate(const QDate& date);
    void OnUserChangedTime(const QTime& time);
    void Notify();
};
