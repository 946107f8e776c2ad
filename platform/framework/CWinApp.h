// The application object and the framework's start of the program.
#pragma once

#include "platform/core/ResourceHandle.h"
#include "platform/framework/CCmdTarget.h"

class CWnd;

class CWinApp : public CCmdTarget
{
public:
    // The program holds exactly one, as a static object.
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's own start-up, which runs its windows. The program ends after it.
    virtual BOOL InitInstance();
    // The program's end; returns its exit status.
    virtual int ExitInstance();
    // An icon group of the program's resources.
    HICON LoadIcon(UINT id) const;

    // Windows made later without an owner are owned by this one.
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Turns on hosting of controls in dialog windows. Every control of this platform is a
// native widget that any dialog can hold, so there is nothing more to turn on.
void AfxEnableControlContainer();

// The framework's entry: sets up the window system, then runs the application object's
// start-up and its end. Returns the exit status: 1 where no window system starts.
int AfxWinMain(int argc, char** argv, HINSTANCE module);
