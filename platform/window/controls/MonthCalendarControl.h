// A month calendar: the program reads its selection with MCM_GETCURSEL; a change of the
// selection reaches the dialog as MCN_SELCHANGE, a date the user picks as MCN_SELECT.
#pragma once

#include <memory>

#include "platform/window/Window.h"

struct DialogWindow;

struct MonthCalendarControl : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::unique_ptr<Window> Create(DialogWindow* dialog);

private:
    LRESULT GetCurSel(SYSTEMTIME* st) const;
    LRESULT SetCurSel(const SYSTEMTIME* st);
    void Notify(int code);
};
