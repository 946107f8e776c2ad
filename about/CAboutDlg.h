// The About window: what Solmira is, under its logo, name and version.
#pragma once

#include "platform/framework/CDialog.h"

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(CWnd* parentWnd = nullptr);
    ~CAboutDlg() override = default;

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
