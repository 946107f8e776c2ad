// The framework's dialog: built from its template, run modally, with the default OK and cancel.
#include "platform/framework/CDialog.h"

#include <iterator>

#include "platform/core/Resources.h"
#include "platform/framework/CWinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parentWnd) : m_nIDTemplate(templateId), m_pParentWnd(parentWnd) {}

CDialog::~CDialog()
{
    // The application must not keep a main window that no longer exists.
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

const AFX_MSGMAP* CDialog::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        OnCommandEntry<&CDialog::OnOK>(IDOK),
        OnCommandEntry<&CDialog::OnCancel>(IDCANCEL),
    };
    static const AFX_MSGMAP map{&CWnd::GetThisMessageMap, entries, std::size(entries)};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const
{
    return GetThisMessageMap();
}

LRESULT CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtr(window, GWLP_USERDATA));
    if (dialog == nullptr)
        return 0;
    switch (message) {
        case WM_INITDIALOG:
            dialog->m_hWnd = window;
            return dialog->OnInitDialog();
        case WM_DESTROY:
            dialog->DetachControls();
            dialog->Detach();
            return 0;
        default:
            return dialog->WindowProc(message, wParam, lParam);
    }
}

int CDialog::DoModal()
{
    HINSTANCE module = AfxGetResourceHandle();
    const DialogTemplate* dialogTemplate = FindDialogTemplate(module, m_nIDTemplate);
    if (dialogTemplate == nullptr)
        return -1;
    CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    if (owner == this)
        owner = nullptr;
    HWND window = ::CreateDialogIndirectParam(module, dialogTemplate, owner != nullptr ? owner->m_hWnd : nullptr,
                                              &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr)
        return -1;
    const int result = ::RunModalLoop(window);
    ::DestroyWindow(window);
    return result;
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
