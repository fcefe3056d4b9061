// The main window: window tabs above the MDI area, the menus of every window kind, the
// accelerators and the command router.
#pragma once

#include "framework/winapp.h"
#include "app/tabs/mditabframe.h"

#include <QHash>
#include <QList>
#include <QPointer>

class QMdiArea;
class QMenu;
class QAction;
class QMdiSubWindow;
class QMimeData;

namespace nuv {

class CChildFrame;

class CMainFrm : public CMDITabFrameWnd, public CMainWndBase {
    Q_OBJECT
public:
    explicit CMainFrm(QWidget* parent = nullptr);
    ~CMainFrm() override;

    QMdiArea* MdiArea() const;
    // Puts a child frame into a new (maximized) sub-window and activates it.
    void AddChildFrame(CChildFrame* frame);
    CChildFrame* ActiveChildFrame() const;
    QList<CChildFrame*> ChildFrames() const override;
    // Brings `frame` to the top of the child windows.
    void ActivateFrame(CChildFrame* frame);
    // Routes a command: active view, its document, the active child frame, this frame, the
    // application. False when no target handles the id (its item shows disabled).
    bool RouteCmdMsg(int nID, CCmdUI* pUI) override;
    // Carries out a command through the router when its update rule enables it.
    bool ExecuteCmd(int nID);

    // ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_TILE_VERT.
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;

    // The caption without the active document's title ("MDQ4170-0 产品演示系统").
    void SetBaseTitle(const QString& title);
    QString BaseTitle() const { return m_strBaseTitle; }
    // Menu shown now (IDR_MAINFRAME without child window, else the active child's menu id).
    int CurrentMenuId() const { return m_nMenuId; }
    // The popups of menu `menuId` (built once).
    QList<QMenu*> Menus(int menuId) const { return m_menus.value(menuId); }
    // Fills the update state of every item of `menu` through the router.
    void UpdateMenu(QMenu* menu);

    QMenu* BuildTabMenu() override;
    // Files dropped on the window: each opens in a new history window.
    bool OnDropFiles(const QMimeData* data);

protected:
    void OnIdleUpdate() override;
    bool ChangesCommandState(QEvent::Type type) const override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildMenus();
    QAction* MakeAction(QObject* parent, int id, const QString& text);
    void OnSubWindowActivated(QMdiSubWindow* sub);
    void ShowMenu(int menuId);
    void UpdateFrameTitle();
    void FillRecentEntries(QMenu* menu);
    void Tile(bool rows);

    QHash<int, QList<QMenu*>> m_menus;
    int m_nMenuId = -1;
    QString m_strBaseTitle;
    QPointer<CChildFrame> m_pLastActive;
};

} // namespace nuv
