#include "framework/winapp.h"

namespace nuv {

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

CMainWndBase* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->GetMainWnd() : nullptr; }

} // namespace nuv
