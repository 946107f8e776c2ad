#include "platform/framework/CWinApp.h"

#include <QApplication>

#include <memory>

#include "platform/core/Resources.h"
#include "platform/framework/CWnd.h"

namespace
{

CWinApp* g_app = nullptr;
HINSTANCE g_resources = nullptr;

}  // namespace

CWinApp::CWinApp(LPCTSTR appName) : m_pszAppName(appName)
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

int CWinApp::Run()
{
    QApplication::exec();
    return ExitInstance();
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

HINSTANCE AfxGetResourceHandle()
{
    return g_resources;
}

void AfxSetResourceHandle(HINSTANCE module)
{
    g_resources = module;
}

void AfxEnableControlContainer() {}

int AfxWinMain(int argc, char** argv, HINSTANCE module)
{
    std::unique_ptr<QApplication> application;
    if (QApplication::instance() == nullptr)
        application = std::make_unique<QApplication>(argc, argv);
    // Windows come and go inside modal runs; the last one closing must not end them all.
    QApplication::setQuitOnLastWindowClosed(false);
    AfxSetResourceHandle(module);
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
