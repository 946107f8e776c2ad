// What every start does with the settings: ask for them once, chime, register the daily start.
#include "settings/StartupSettings.h"

#include "platform/sound/Sound.h"
#include "settings/AppDir.h"
#include "settings/CSettingsDlg.h"

void ApplyStartupSettings()
{
    CSettingsDlg dlg;
    if (!dlg.LoadSettings())
        dlg.DoModal();
    if (dlg.m_bBellChime)
        PlaySound(g_strAppDir + CString("slm.wav"), nullptr, SND_FILENAME | SND_ASYNC);
    dlg.ScheduleAutoRun(FALSE);
}
