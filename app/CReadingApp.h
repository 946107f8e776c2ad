// The application object: starts the program by running the main reading window, and
// ends it when that window closes.
#pragma once

#include "platform/framework/CWinApp.h"

class CReadingApp : public CWinApp
{
public:
    CReadingApp() = default;
    ~CReadingApp() override = default;

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

    BOOL InitInstance() override;
};

// The one application object.
extern CReadingApp theApp;
