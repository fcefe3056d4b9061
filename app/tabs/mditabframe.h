// The tabbed multi-document frame: the window-tab bar across the top of the client area
// and the client area below it.
#pragma once

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

protected:
    // Each time the frame updates its user interface (idle timer and activation).
    virtual void OnIdleUpdate();

    CTabCtrlBarDoc* m_wndTabBar;
    CMdiClient* m_wndMdiClient;
    QTimer* m_pIdleTimer;
};

} // namespace nuv
