// The main window: window tabs above the MDI area, the command router.
#pragma once

#include "cmdtarget.h"

#include <QMainWindow>

class QMdiArea;

namespace nuv {

class CChildFrame;

class CMainFrm : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CMainFrm(QWidget* parent = nullptr);
    ~CMainFrm() override;

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    // Puts a child frame into a new (maximized) sub-window and activates it.
    void AddChildFrame(CChildFrame* frame);
    CChildFrame* ActiveChildFrame() const;
    // Routes a command: active view, its document, the active child frame, this frame, the
    // application. False when no target handles the id (its item shows disabled).
    bool RouteCmdMsg(int nID, CCmdUI* pUI);

protected:
    QMdiArea* m_pMdiArea = nullptr;
};

} // namespace nuv
