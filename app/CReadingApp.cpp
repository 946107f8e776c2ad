// The one application object and its start-up: the main reading window, run modally.
#include "app/CReadingApp.h"

#include "app/CReadingDlg.h"

CReadingApp theApp;

const AFX_MSGMAP* CReadingApp::GetThisMessageMap()
{
    // The application handles no commands of its own.
    static const AFX_MSGMAP map{&CWinApp::GetThisMessageMap, nullptr, 0};
    return &map;
}

const AFX_MSGMAP* CReadingApp::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CReadingApp::InitInstance()
{
    AfxEnableControlContainer();
    CReadingDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
