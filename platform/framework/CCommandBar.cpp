// The framework's menu bar object: puts up the shell's menu bar from a resource.
#include "platform/framework/CCommandBar.h"

#include "platform/framework/CWinApp.h"
#include "platform/framework/CWnd.h"
#include "platform/shell/Shell.h"

BOOL CCommandBar::InsertMenuBar(UINT menuBarId, WORD bitmapId)
{
    SHMENUBARINFO info{};
    info.cbSize = sizeof(info);
    info.hwndParent = m_pOwner->m_hWnd;
    info.nToolBarId = menuBarId;
    info.hInstRes = AfxGetResourceHandle();
    info.nBmpId = bitmapId == 0xFFFF ? 0 : bitmapId;
    info.cBmpImages = 0;
    if (!SHCreateMenuBar(&info))
        return FALSE;
    m_hWnd = info.hwndMB;
    return TRUE;
}

BOOL CCommandBar::SetBarStyle(DWORD /*style*/)
{
    return m_hWnd != nullptr ? TRUE : FALSE;
}
