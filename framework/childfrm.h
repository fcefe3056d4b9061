// Base of the AI, history and DIO child windows: a QMainWindow (so it has its own dock
// areas) shown maximized inside a sub-window of the main frame.
#pragma once

#include "framework/cmdtarget.h"
#include "framework/wndmsg.h"

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
    // The view that receives commands first: the view holding the focus inside this
    // frame, otherwise the one set last (the first pane by default).
    CView* GetActiveView() const;
    void SetActiveView(CView* view) { m_pActiveView = view; }

    // Menu of this kind of window (129, 173, 182).
    virtual int MenuId() const { return 0; }

    // Command routing from this frame: active view, its document, this frame, the main
    // frame, the application. False when nobody handles the id.
    bool RouteCmdMsg(int nID, CCmdUI* pUI);
    // Carries out `nID` when its update rule enables it; false otherwise.
    bool ExecuteCmd(int nID);

    // Activation moved: this window lost it to `activated`, or gained it (`activated` is
    // this window). Windows not involved are not told.
    virtual void OnMDIActivate(CChildFrame* activated) {}
    // The window fills the client area again after it was cascaded or tiled: panes and
    // bars take their starting sizes for the new size.
    virtual void LayoutPanesAfresh() {}
    // Idle update of the bars' buttons.
    virtual void OnIdleUpdateCmdUI() {}
    // Calls OnInitialUpdate of every view of the document once.
    void InitialUpdateFrame();

    // Builds bars, panes and views; false makes the window's creation fail.
    virtual bool Create() { return true; }

    // Runs the document's close step and closes the window (its sub-window goes too).
    void CloseFrame();

    // Handle for messages posted to this window.
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

    // No menu of the toolkit's own over bars and docks: only the program's menus.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override;

    CDocument* m_pDocument;
    CView* m_pActiveView = nullptr;
    CWndHandle m_hWnd{this};
    bool m_bClosing = false;
    bool m_bInitialUpdateDone = false;
};

} // namespace nuv
