// Control classes of the framework. Each binds to a dialog's control; the program talks
// to it with the control's own requests (DTM_GETSYSTEMTIME, MCM_GETCURSEL, EM_FMTLINES).
#pragma once

#include "platform/framework/CWnd.h"

class CEdit : public CWnd
{
};
class CDateTimeCtrl : public CWnd
{
};
class CMonthCalCtrl : public CWnd
{
};
