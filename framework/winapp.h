// The application and its main window as the documents, views and child frames see them:
// the command router at the top of every route, the child windows, the recent-file list.
// The program's own application object derives from CWinApp and registers itself at
// construction; AfxGetApp() returns it (nullptr before it exists or after it is gone).
#pragma once
#include "framework/cmdtarget.h"
#include <QList>
#include <QString>

namespace nuv {

class CChildFrame;

class CMainWndBase : public CCmdTarget {
public:
    // Routes a command from the active child window up to the application. False when no
    // target handles the id.
    virtual bool RouteCmdMsg(int nID, CCmdUI* pUI) = 0;
    // Every child window, in the order of their tabs.
    virtual QList<CChildFrame*> ChildFrames() const = 0;
};

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The main window, nullptr while there is none.
    virtual CMainWndBase* GetMainWnd() const = 0;
    // Puts `path` at the top of the recent-file list.
    virtual void AddToRecentFileList(const QString& path) = 0;
};

CWinApp* AfxGetApp();

// The main window, nullptr without application or main window.
CMainWndBase* AfxGetMainWnd();

} // namespace nuv
