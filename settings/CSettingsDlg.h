// The Settings window, which is also the holder of the settings in memory: Bell Chime,
// AutoRun and the run time, with the image of the settings file.
#pragma once

#include "platform/framework/CDialog.h"
#include "platform/core/CTime.h"
#include "settings/SettingsRecord.h"

class CSettingsDlg : public CDialog
{
public:
    explicit CSettingsDlg(CWnd* parentWnd = nullptr);
    ~CSettingsDlg() override = default;

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Reads the settings file into the members: true when the settings came from it, false
    // when it is missing or empty and the defaults (AutoRun off, Bell Chime on) were set.
    BOOL LoadSettings();
    // Takes the window's values, registers or cancels the daily start, then writes the
    // settings file. Nothing is reported.
    void SaveSettings();
    // Brings the pending daily start in line with AutoRun: registers the next start at the
    // chosen time of day (today if still ahead, otherwise tomorrow), after confirming it in
    // a message when showMessage is true; or cancels it when AutoRun is off.
    void ScheduleAutoRun(BOOL showMessage);

    BOOL m_bAutoRun = 0;
    BOOL m_bBellChime = 0;
    CTime m_timeRun;
    SettingsRecord m_record{};  // all zero until a load or a save fills it

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    void OnAutoRunClicked();
    void OnOkClicked();
};

// The names of the months in the confirmation message, built the first time one is shown.
const CString* MonthNames();
