// Base of the AI, history and DIO child windows: a QMainWindow (so it has its own dock
// areas) shown maximized inside a sub-window of the main frame.
#pragma once

#include "cmdtarget.h"
#include "wndmsg.h"

#include <QMainWindow>

namespace nuv {

class CDocument;
class CView;

class CChildFrame : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    // The frame owns the document (it becomes the document's QObject parent).
    CChildFrame(CDocument* doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view) { m_pActiveView = view; }

    // Builds bars, panes and views; false makes the window's creation fail.
    virtual bool Create() { return true; }

    // Runs the document's close step and closes the window (its sub-window goes too).
    void CloseFrame();

    // Handle for messages posted to this window.
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

protected:
    void closeEvent(QCloseEvent* e) override;

    CDocument* m_pDocument;
    CView* m_pActiveView = nullptr;
    CWndHandle m_hWnd{this};
    bool m_bClosing = false;
};

} // namespace nuv
