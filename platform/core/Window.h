// The window system: windows built from templates, messages to them, modal runs and
// message boxes. A window handle is valid from its creation until DestroyWindow.
#pragma once

#include "platform/core/Messages.h"
#include "platform/core/Resources.h"
#include "platform/core/Types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left, top, right, bottom;
};

// Sent with DTN_DATETIMECHANGE: the picker's new value.
struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags;
    SYSTEMTIME st;
};

// Sent with MCN_SELCHANGE and MCN_SELECT: the calendar's new selection.
struct NMSELCHANGE {
    NMHDR nmhdr;
    SYSTEMTIME stSelStart;
    SYSTEMTIME stSelEnd;
};

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds a dialog window and its controls from a template, not yet shown, then sends it
// WM_INITDIALOG with initParam through dialogProc. The owner may be null.
HWND CreateDialogIndirectParam(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND owner, WNDPROC dialogProc,
                               LPARAM initParam);
// Shows a dialog and runs its modal loop: the owner is disabled until the run ends, and
// the result is the one given to EndDialog.
int RunModalLoop(HWND dialog);
// Ends a dialog's modal run with a result; the run returns once the current message has
// been handled.
BOOL EndDialog(HWND dialog, int result);
BOOL DestroyWindow(HWND window);

// Shows a modal message box owned by owner (which may be null) and returns the button
// pressed. Only MB_OK is supported: one OK button and no icon.
int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
// The dialog of a control; the owner of a top-level window.
HWND GetParent(HWND window);
BOOL SetWindowText(HWND window, LPCTSTR text);
int GetWindowText(HWND window, LPTSTR buffer, int bufferMax);
int GetWindowTextLength(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
BOOL IsWindowVisible(HWND window);
LONG GetWindowLong(HWND window, int index);
LONG SetWindowLong(HWND window, int index, LONG value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND window, RECT* rect);

// The part of the screen that windows may use, without panels and bars.
constexpr UINT SPI_GETWORKAREA = 0x0030;
BOOL SystemParametersInfo(UINT action, UINT param, void* value, UINT winIni);

// The value a window keeps for the program's framework.
constexpr int GWLP_USERDATA = -21;
LPARAM GetWindowLongPtr(HWND window, int index);
