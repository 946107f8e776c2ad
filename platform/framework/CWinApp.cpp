// The application object and the framework's entry: the window system is started, then
// the application's own start-up runs.
#include "platform/framework/CWinApp.h"

#include "platform/framework/CWnd.h"
#include "platform/window/MessageLoop.h"

namespace
{

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIcon(AfxGetResourceHandle(), id);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app != nullptr ? g_app->m_pMainWnd : nullptr;
}

void AfxEnableControlContainer() {}

int AfxWinMain(int argc, char** argv, HINSTANCE module)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    if (!StartWindowSystem(argc, argv))
        return 1;
    AfxSetResourceHandle(module);
    // The start-up runs the program's windows modally. The framework has no message loop of
    // its own to run after it, so the program ends with ExitInstance whatever it returns.
    app->InitInstance();
    const int status = app->ExitInstance();
    StopWindowSystem();
    return status;
}
