// The data exchange between a window's controls and its members.
#pragma once

#include "platform/core/Types.h"

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;  // true: out of the controls into the members
    CWnd* m_pDlgWnd;
};

// Attaches a member control object to the dialog's control of that id, once.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CTime;

// A check box and a flag: ticked for any non-zero flag; read back as 1 or 0.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// A date-and-time field and a time value, as local time. The field keeps the whole
// date-time even where it shows only a part.
void DDX_DateTimeCtrl(CDataExchange* pDX, int id, CTime& value);
