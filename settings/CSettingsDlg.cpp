// The Settings window and the settings it holds: loading, saving and scheduling the daily start.
#include "settings/CSettingsDlg.h"

#include <iterator>
#include <vector>

#include "calendar/Calendar.h"
#include "platform/core/CFile.h"
#include "platform/core/Clock.h"
#include "platform/core/ModulePath.h"
#include "platform/dailystart/StartAtTime.h"
#include "platform/framework/CDataExchange.h"
#include "platform/shell/Shell.h"
#include "res/resource.h"
#include "settings/AppDir.h"

namespace
{

// How long the Settings window's OK waits for the scheduler before it tells what it knows.
constexpr int kSchedulerWaitMilliseconds = 3000;

CString SettingsPath()
{
    return g_strAppDir + CString("slm.dat");
}

}  // namespace

const CString* MonthNames()
{
    static const CString names[12] = {
        CString("Jan"), CString("Feb"), CString("Mar"), CString("Apr"), CString("May"), CString("Jun"),
        CString("Jul"), CString("Aug"), CString("Sep"), CString("Oct"), CString("Nov"), CString("Dec"),
    };
    return names;
}

CSettingsDlg::CSettingsDlg(CWnd* parentWnd) : CDialog(IDD_SETTINGS, parentWnd) {}

const AFX_MSGMAP* CSettingsDlg::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        OnControlEntry<&CSettingsDlg::OnOkClicked>(BN_CLICKED, IDOK),
        OnControlEntry<&CSettingsDlg::OnAutoRunClicked>(BN_CLICKED, IDC_AUTORUN),
    };
    static const AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries, std::size(entries)};
    return &map;
}

const AFX_MSGMAP* CSettingsDlg::GetMessageMap() const
{
    return GetThisMessageMap();
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_AUTORUN, m_bAutoRun);
    DDX_Check(pDX, IDC_BELL_CHIME, m_bBellChime);
    DDX_DateTimeCtrl(pDX, IDC_RUN_TIME, m_timeRun);
}

BOOL CSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    LoadSettings();

    UpdateData(FALSE);

    OnAutoRunClicked();

    SHDoneButton(m_hWnd, SHDB_HIDE);
    ModifyStyle(0, WS_NONAVDONEBUTTON, SWP_FRAMECHANGED | SWP_NOSIZE);

    m_dlgCommandBar.SetBarStyle(CBRS_ALIGN_ANY);

    return TRUE;
}

void CSettingsDlg::OnAutoRunClicked()
{
    UpdateData(TRUE);
    if (m_bAutoRun)
        MessageBox(L"Please remember to turn off \"AutoRun\" before removing DEDUVO.EXE.", L"Support Notice", MB_OK);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RUN_TIME), m_bAutoRun ? TRUE : FALSE);
}

void CSettingsDlg::OnOkClicked()
{
    SaveSettings();
    EndDialog(0);
}

BOOL CSettingsDlg::LoadSettings()
{
    CFile file;
    if (!file.Open(SettingsPath(), CFile::modeRead | CFile::typeBinary) || file.GetLength() == 0) {
        m_bAutoRun = 0;
        m_bBellChime = 1;
        file.Close();
        return FALSE;
    }
    // A file shorter than the record leaves the rest of it zero.
    BYTE bytes[sizeof(SettingsRecord)] = {};
    file.Read(bytes, sizeof(bytes));
    m_record = SettingsRecordFromBytes(bytes);
    m_bBellChime = m_record.bellChime;
    m_bAutoRun = m_record.autoRun;
    const SYSTEMTIME& runAt = m_record.runAt;
    m_timeRun = CTime(runAt.wYear, runAt.wMonth, runAt.wDay, runAt.wHour, runAt.wMinute, runAt.wSecond);
    file.Close();
    return TRUE;
}

void CSettingsDlg::SaveSettings()
{
    UpdateData(TRUE);
    m_record.bellChime = m_bBellChime;
    m_record.autoRun = m_bAutoRun;
    m_timeRun.GetAsSystemTime(m_record.runAt);
    m_record.runAt.wMilliseconds = 0;
    NextAutoRun();
    // The file comes first: a save that fails leaves the pending start as the file that
    // stands describes it, and this start goes on with the settings of that file.
    if (!WriteSettings()) {
        MessageBox(L"The settings could not be saved.", L"Settings", MB_OK);
        LoadSettings();
        return;
    }
    RegisterAutoRun(TRUE);
}

BOOL CSettingsDlg::WriteSettings()
{
    // The platform replaces the file whole: a kill or a second copy saving at once leaves
    // the old settings or the new, never an empty file.
    CFile file;
    if (!file.Open(SettingsPath(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return FALSE;
    BYTE bytes[sizeof(SettingsRecord)];
    SettingsRecordToBytes(m_record, bytes);
    const BOOL written = file.Write(bytes, sizeof(bytes));
    return file.Close() && written;
}

void CSettingsDlg::ScheduleAutoRun(BOOL showMessage)
{
    NextAutoRun();
    RegisterAutoRun(showMessage);
}

void CSettingsDlg::NextAutoRun()
{
    if (!m_bAutoRun)
        return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    SYSTEMTIME& runAt = m_record.runAt;
    runAt.wYear = now.wYear;
    runAt.wMonth = now.wMonth;
    runAt.wDayOfWeek = now.wDayOfWeek;
    runAt.wDay = now.wDay;

    // The chosen time counts as passed once its hour and minute have come.
    if (now.wHour > runAt.wHour || (now.wHour == runAt.wHour && now.wMinute >= runAt.wMinute)) {
        runAt.wDayOfWeek = now.wDayOfWeek + 1;  // Saturday's 6 becomes 7: not wrapped
        runAt.wDay = now.wDay + 1;
        const bool leapDay = now.wMonth == 2 && IsLeapYear(now.wYear) && runAt.wDay == 29;
        if (runAt.wDay > g_anDaysInMonth[now.wMonth - 1] && !leapDay) {
            runAt.wDay = 1;
            runAt.wMonth = now.wMonth + 1;
            if (runAt.wMonth > 12) {
                runAt.wMonth = 1;
                runAt.wYear = now.wYear + 1;
            }
        }
    }
}

void CSettingsDlg::RegisterAutoRun(BOOL showMessage)
{
    std::vector<TCHAR> path(MAX_PATH);
    GetModuleFileName(nullptr, path.data(), MAX_PATH);
    const SYSTEMTIME* runAt = m_bAutoRun ? &m_record.runAt : nullptr;
    if (!showMessage) {
        CeRunAppAtTime(path.data(), runAt);
        return;
    }

    // The message says what became of the request, so it waits for the scheduler, a few
    // seconds at most.
    const StartOutcome outcome = RunAppAtTimeAndWait(path.data(), runAt, kSchedulerWaitMilliseconds);
    const CString reason(outcome.failure.c_str());
    CString text;
    if (runAt == nullptr) {
        if (outcome.Done())
            return;
        text.Format(L"The settings were saved, but DEDUVO may still run as before (%s)", static_cast<LPCTSTR>(reason));
    } else if (outcome.Done()) {
        text.Format(L"DEDUVO will next run on %d of %s, %d at %d:%02d", runAt->wDay,
                    static_cast<LPCTSTR>(MonthNames()[runAt->wMonth - 1]), runAt->wYear, runAt->wHour, runAt->wMinute);
    } else {
        text.Format(L"The settings were saved, but DEDUVO is not set to run on %d of %s, %d at %d:%02d (%s)",
                    runAt->wDay, static_cast<LPCTSTR>(MonthNames()[runAt->wMonth - 1]), runAt->wYear, runAt->wHour,
                    runAt->wMinute, static_cast<LPCTSTR>(reason));
    }
    MessageBox(text, L"Autorun", MB_OK);
}
