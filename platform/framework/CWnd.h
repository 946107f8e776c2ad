// The framework's window: a handle with the calls the program makes on it. Commands and
// notifications that reach the window go to its message table.
#pragma once

#include <vector>

#include "platform/framework/CCmdTarget.h"
#include "platform/core/CString.h"
#include "platform/window/WinUser.h"

class CDataExchange;

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override = default;

    HWND m_hWnd = nullptr;

    // Binds this object to an existing window (a dialog's control).
    BOOL Attach(HWND window);
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(LPCTSTR text);
    HICON SetIcon(HICON icon, BOOL bigIcon);
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    // Centres the window within the work area of the screen.
    void CenterWindow();
    // A modal message box owned by this window.
    int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK);

    // Moves data between the controls and the members: into the controls when save is
    // false, out of them when it is true.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // The window procedure: commands and notifications go to the message table.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Remembers a control object bound to one of this window's controls, so that it is
    // unbound when the window goes.
    void AddAttachedControl(CWnd* control);
    void DetachControls();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    std::vector<CWnd*> m_attachedControls;
};
