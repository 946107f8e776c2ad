#include "platform/framework/CDataExchange.h"

#include "platform/framework/CWnd.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr && control.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id)))
        pDX->m_pDlgWnd->AddAttachedControl(&control);
}
