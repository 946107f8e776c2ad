// The About window: its opening puts the About text into its text box.
#include "about/CAboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(CWnd* parentWnd) : CDialog(IDD_ABOUT, parentWnd) {}

const AFX_MSGMAP* CAboutDlg::GetThisMessageMap()
{
    // Done and Escape go to the base's OK and cancel handling.
    static const AFX_MSGMAP map{&CDialog::GetThisMessageMap, nullptr, 0};
    return &map;
}

const AFX_MSGMAP* CAboutDlg::GetMessageMap() const
{
    return GetThisMessageMap();
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString text;
    text.LoadString(IDS_ABOUT_TEXT);

    ::SetWindowText(::GetDlgItem(m_hWnd, IDC_ABOUT_TEXT), text);

    return TRUE;
}
