// Data exchange: control objects attached, check boxes and time fields moved to and from members.
#include "platform/framework/CDataExchange.h"

#include "platform/core/CTime.h"
#include "platform/framework/CWnd.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr && control.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id)))
        pDX->m_pDlgWnd->AddAttachedControl(&control);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessage(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessage(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int id, CTime& value)
{
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    SYSTEMTIME time{};
    if (pDX->m_bSaveAndValidate) {
        if (::SendMessage(control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID)
            value = CTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    } else if (value.GetAsSystemTime(time)) {
        ::SendMessage(control, DTM_SETSYSTEMTIME, static_cast<WPARAM>(GDT_VALID), reinterpret_cast<LPARAM>(&time));
    }
}
