// The main reading window: the reading for the date in its date field.
#pragma once

#include "book/CBookFile.h"
#include "platform/framework/CDialog.h"
#include "platform/framework/Controls.h"

class CReadingDlg : public CDialog
{
public:
    explicit CReadingDlg(CWnd* parentWnd = nullptr);
    ~CReadingDlg() override = default;

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    void ShowVerseForDate();
    // Shows the verse of a date the window has read from one of its date controls.
    void ShowVerseFor(const SYSTEMTIME& date);

    void OnDateChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCalendarSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCloseButton();
    void OnAboutButton();
    void OnOptionsSettings();
    void OnOptionsAbout();

    CDateTimeCtrl m_ctlDate;
    CEdit m_ctlVerseText;
    CMonthCalCtrl m_ctlCalendar;
    CBookFile m_book;
    HICON m_hIcon;
};
