// The framework's dialog window: built from a window template, run modally.
#pragma once

#include "platform/framework/CCommandBar.h"
#include "platform/framework/CWnd.h"

class CDialog : public CWnd
{
public:
    // A dialog with no owner is owned by the application's main window.
    explicit CDialog(UINT templateId, CWnd* parentWnd = nullptr);
    ~CDialog() override;

    // Builds the window, runs it until EndDialog, destroys the window and returns the
    // result given to EndDialog.
    virtual int DoModal();
    void EndDialog(int result);

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    // The opening sequence. The base performs the data exchange into the controls and
    // returns TRUE: the focus goes to the first control that takes it.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // The object through which the window's menu bar is managed.
    CCommandBar m_dlgCommandBar{this};

private:
    static LRESULT DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
