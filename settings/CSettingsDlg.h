// The Settings window, which is also the holder of the settings in memory: Bell Chime,
// AutoRun and the run time, with the image of the settings file.
#pragma once

#include "platform/core/CTime.h"
#include "platform/framework/CDialog.h"
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
    // Takes the window's values and writes the settings file, then registers or cancels
    // the daily start and says what became of it. A file that cannot be written is said
    // instead, and the members are read again from the file as it stands.
    void SaveSettings();
    // Brings the pending daily start in line with AutoRun: registers the next start at the
    // chosen time of day (today if still ahead, otherwise tomorrow), or cancels it when
    // AutoRun is off. With showMessage, waits for the scheduler and says what became of
    // it; otherwise hands it over and returns at once.
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
    // Writes the record to the settings file; FALSE when it did not get there whole.
    BOOL WriteSettings();
    // Sets the record's run date to the next start's, when AutoRun is on.
    void NextAutoRun();
    // The registration, or the cancel, of ScheduleAutoRun.
    void RegisterAutoRun(BOOL showMessage);
};

// The names of the months in the confirmation message, built the first time one is shown.
const CString* MonthNames();
