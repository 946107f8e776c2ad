// The settings holder without its window: its data exchange moves nothing, so SaveSettings
// saves the members as a test set them, from any process and as often as it likes.
#pragma once

#include "settings/CSettingsDlg.h"

class WindowlessSettings : public CSettingsDlg
{
protected:
    void DoDataExchange(CDataExchange* /*pDX*/) override {}
};
