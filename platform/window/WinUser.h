// The window system's calls, as the framework and the shell make them: windows built from
// templates, messages to them, modal runs, message boxes, menus and icons. A window handle
// is valid from its creation until DestroyWindow. No Qt type appears here.
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

// One button of a tool bar, as TB_ADDBUTTONS passes it. A drop-down
// button's dwData is the pop-up menu it opens.
struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    DWORD_PTR dwData;
    INT_PTR iString;  // the caption, a wide string
};

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds a dialog window and its controls from a template, not yet shown, then sends it
// WM_INITDIALOG with initParam through dialogProc. The owner may be null.
HWND CreateDialogIndirectParam(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND owner, WNDPROC dialogProc,
                               LPARAM initParam);
// Creates a control of a window class in a parent window: TOOLBARCLASSNAME is the only
// class made this way (the handheld's menu bar); template controls come with their dialog.
HWND CreateWindowEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int cx, int cy,
                    HWND parent, int id, HINSTANCE module, void* param);
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
BOOL SetWindowText(HWND window, LPCTSTR text);
BOOL EnableWindow(HWND window, BOOL enable);
LONG GetWindowLong(HWND window, int index);
LONG SetWindowLong(HWND window, int index, LONG value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND window, RECT* rect);

// Keeps a named value with a window for whoever set it, such as the shell's state of it.
BOOL SetProp(HWND window, LPCTSTR name, HANDLE data);

// The part of the screen that windows may use, without panels and bars.
constexpr UINT SPI_GETWORKAREA = 0x0030;
BOOL SystemParametersInfo(UINT action, UINT param, void* value, UINT winIni);

// The value a window keeps for the program's framework.
constexpr int GWLP_USERDATA = -21;
LPARAM GetWindowLongPtr(HWND window, int index);

// An icon group's images, loaded once per module and id; null when there is none.
HICON LoadIcon(HINSTANCE module, UINT id);

// Menus built from a menu resource: a menu's items are commands, separators (id 0, no
// text) or pop-ups. Menus live as long as the window system.
HMENU LoadMenu(HINSTANCE module, UINT id);
HMENU GetSubMenu(HMENU menu, int position);
