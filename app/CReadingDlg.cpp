// The main reading window: its opening sequence, the verse of a date, and its commands.
#include "app/CReadingDlg.h"

#include <iterator>
#include <vector>

#include "about/CAboutDlg.h"
#include "calendar/Calendar.h"
#include "platform/core/ModulePath.h"
#include "platform/framework/CDataExchange.h"
#include "platform/framework/CWinApp.h"
#include "platform/shell/Shell.h"
#include "res/resource.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"
#include "settings/StartupSettings.h"

CReadingDlg::CReadingDlg(CWnd* parentWnd) : CDialog(IDD_MAIN, parentWnd)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

const AFX_MSGMAP* CReadingDlg::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        OnNotifyEntry<&CReadingDlg::OnDateChanged>(DTN_DATETIMECHANGE, IDC_DATE),
        OnNotifyEntry<&CReadingDlg::OnCalendarSelChange>(MCN_SELCHANGE, IDC_CALENDAR),
        OnControlEntry<&CReadingDlg::OnCloseButton>(BN_CLICKED, IDOK),
        OnControlEntry<&CReadingDlg::OnAboutButton>(BN_CLICKED, IDC_ABOUT_BUTTON),
        OnCommandEntry<&CReadingDlg::OnOptionsAbout>(ID_OPTIONS_ABOUT),
        OnCommandEntry<&CReadingDlg::OnOptionsSettings>(ID_OPTIONS_SETTINGS),
        OnControlEntry<&CReadingDlg::OnOptionsSettings>(BN_CLICKED, IDC_SETTINGS_BUTTON),
    };
    static const AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries, std::size(entries)};
    return &map;
}

const AFX_MSGMAP* CReadingDlg::GetMessageMap() const
{
    return GetThisMessageMap();
}

void CReadingDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DATE, m_ctlDate);
    DDX_Control(pDX, IDC_VERSE_TEXT, m_ctlVerseText);
    DDX_Control(pDX, IDC_CALENDAR, m_ctlCalendar);
}

BOOL CReadingDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    CenterWindow();

    m_ctlVerseText.SendMessage(EM_FMTLINES, TRUE);

    SHDoneButton(m_hWnd, SHDB_HIDE);
    ModifyStyle(0, WS_NONAVDONEBUTTON, SWP_FRAMECHANGED | SWP_NOSIZE);

    std::vector<TCHAR> modulePath(MAX_PATH);
    GetModuleFileName(nullptr, modulePath.data(), MAX_PATH);
    const CString strPath(modulePath.data());
    g_strAppDir = strPath.Left(strPath.ReverseFind(L'\\') + 1);

    if (!m_book.OpenBook(g_strAppDir + L"solmiraverse.pdb"))
        MessageBox(L"Failed to open book \"solmiraverse.pdb\"\nPlease download from " BOOK_SITE_ADDRESS, L"Error!",
                   MB_OK);

    ShowVerseForDate();

    ApplyStartupSettings();

    CenterWindow();

    m_dlgCommandBar.InsertMenuBar(IDR_MENUBAR, 0xFFFF);

    return TRUE;
}

void CReadingDlg::ShowVerseForDate()
{
    SYSTEMTIME date{};
    m_ctlDate.SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    ShowVerseFor(date);
}

void CReadingDlg::ShowVerseFor(const SYSTEMTIME& date)
{
    const int verse = VerseNumberForDate(date.wDay, date.wMonth, date.wYear);
    const CString text = m_book.ReadRecordText(verse);
    CString display;
    display.Format(L"Verse %d:\r\n\r\n%s", verse, static_cast<LPCTSTR>(text));
    m_ctlVerseText.SetWindowText(display);
}

void CReadingDlg::OnDateChanged(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    ShowVerseForDate();
    *pResult = 0;
}

// The hidden calendar shows the verse of its selected date, as the date field does.
void CReadingDlg::OnCalendarSelChange(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    SYSTEMTIME date{};
    m_ctlCalendar.SendMessage(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    ShowVerseFor(date);
    *pResult = 0;
}

void CReadingDlg::OnCloseButton()
{
    EndDialog(0);
}

void CReadingDlg::OnOptionsAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

void CReadingDlg::OnOptionsSettings()
{
    CSettingsDlg dlg;
    dlg.DoModal();
}

// The hidden About button puts the About text into the text box.
void CReadingDlg::OnAboutButton()
{
    CString about;
    about.LoadString(IDS_ABOUT_TEXT);
    m_ctlVerseText.SetWindowText(about);
}
