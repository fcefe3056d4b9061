// The tabbed multi-document frame: the window-tab bar across the top of the client area
// and the client area below it.
#pragma once

#include <QEvent>
#include <QMainWindow>

class QMenu;
class QTimer;

namespace nuv {

class CMdiClient;
class CTabCtrlBarDoc;

class CMDITabFrameWnd : public QMainWindow {
    Q_OBJECT
public:
    explicit CMDITabFrameWnd(QWidget* parent = nullptr);
    ~CMDITabFrameWnd() override;

    CTabCtrlBarDoc* TabBar() const { return m_wndTabBar; }
    CMdiClient* MdiClient() const { return m_wndMdiClient; }

    // The tab context menu for the active child window (nullptr: none at all). The
    // caller owns the menu.
    virtual QMenu* BuildTabMenu() { return nullptr; }
    // Shows the tab context menu at `global` (a press on the current tab).
    void ShowTabMenu(QPoint global);
    // No menu of the toolkit's own over the menu bar: only the program's menus.
    QMenu* createPopupMenu() override { return nullptr; }

    // Asks for one update of tabs, menus and bars once the events now queued are done;
    // every request until then is served by that one update. Nothing updates on a clock:
    // the frame asks after the operator's input, a focus or window change, a command, an
    // activation, and what ChangesCommandState names.
    void RequestIdleUpdate();
    bool IsIdleUpdatePending() const;

protected:
    // Each time the frame updates its user interface (a request or an activation).
    virtual void OnIdleUpdate();
    // True for a posted notice that can change what the commands may do (a run ended, a
    // file closed); none at this level.
    virtual bool ChangesCommandState(QEvent::Type) const { return false; }
    bool eventFilter(QObject* watched, QEvent* e) override;

    CTabCtrlBarDoc* m_wndTabBar;
    CMdiClient* m_wndMdiClient;
    QTimer* m_pIdleTimer;
};

} // namespace nuv
