#include "app/mainfrm.h"

#include "acquisition/aidoc.h"
#include "framework/wndmsg.h"
#include "app/tabs/barsizing.h"
#include "framework/childfrm.h"
#include "app/cmdtable.h"
#include "framework/document.h"
#include "app/tabs/mdiclient.h"
#include "app/nuvapp.h"
#include "res/resource.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace nuv {

CMainFrm::CMainFrm(QWidget* parent) : CMDITabFrameWnd(parent)
{
    setObjectName(QString::number(IDR_MAINFRAME));
    setAcceptDrops(true);
    // Tips show while another program has the focus too (floating bars set it themselves).
    setAttribute(Qt::WA_AlwaysShowToolTips);
    BuildMenus();
    ShowMenu(IDR_MAINFRAME);
    for (const AccelDef& a : AcceleratorTable()) {
        QAction* act = new QAction(this);
        act->setObjectName(QString::number(a.id));
        act->setShortcut(QKeySequence(a.key));
        act->setShortcutContext(Qt::ApplicationShortcut);
        connect(act, &QAction::triggered, this, [this, id = a.id] { ExecuteCmd(id); });
        addAction(act);
    }
    connect(m_wndMdiClient, &QMdiArea::subWindowActivated, this, &CMainFrm::OnSubWindowActivated);
}

CMainFrm::~CMainFrm()
{
    // The MDI area outlives this part of the object: its sub-windows are destroyed with it
    // and activate one another on the way; none of that may reach a half-destroyed frame.
    disconnect(m_wndMdiClient, nullptr, this, nullptr);
    if (theApp.m_pMainWnd == this)
        theApp.m_pMainWnd = nullptr;
}

QMdiArea* CMainFrm::MdiArea() const { return m_wndMdiClient; }

QAction* CMainFrm::MakeAction(QObject* parent, int id, const QString& text)
{
    QAction* act = new QAction(text, parent);
    act->setObjectName(QString::number(id));
    connect(act, &QAction::triggered, this, [this, act] {
        const int id = act->objectName().toInt();
        if (id >= kRecentFirst && id < kRecentFirst + kRecentCount) {
            const QString path = act->data().toString();
            if (!path.isEmpty())
                theApp.OpenDocumentFile(path);
            return;
        }
        ExecuteCmd(id);
    });
    return act;
}

void CMainFrm::BuildMenus()
{
    for (int menuId : {IDR_MAINFRAME, IDR_AITYPE, IDR_DIOTYPE, IDR_HISTTYPE}) {
        QList<QMenu*> popups;
        for (const PopupDef& def : MenuDef(menuId)) {
            QMenu* menu = new QMenu(def.title, this);
            for (int id : def.items) {
                if (id == ID_SEPARATOR)
                    menu->addSeparator();
                else
                    menu->addAction(MakeAction(menu, id, CommandText(id, menuId)));
            }
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
            popups.append(menu);
        }
        m_menus.insert(menuId, popups);
    }
}

void CMainFrm::ShowMenu(int menuId)
{
    if (menuId == m_nMenuId)
        return;
    m_nMenuId = menuId;
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* m : m_menus.value(menuId))
        bar->addMenu(m);
}

void CMainFrm::FillRecentEntries(QMenu* menu)
{
    // The item ID_FILE_MRU_FILE1 stands for the list: its first entry, the others follow it.
    QAction* first = menu->findChild<QAction*>(QString::number(kRecentFirst), Qt::FindDirectChildrenOnly);
    if (first == nullptr)
        return;
    for (QAction* a : menu->actions()) {
        if (a != first && a->property("recent").toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    }
    const QStringList files = theApp.RecentFiles();
    if (files.isEmpty()) {
        first->setText(CommandText(kRecentFirst, m_nMenuId));
        first->setData(QString());
        first->setEnabled(false);
        return;
    }
    const QList<QAction*> all = menu->actions();
    const int at = int(all.indexOf(first));
    QAction* before = at + 1 < all.size() ? all[at + 1] : nullptr;
    for (int k = 0; k < files.size() && k < kRecentCount; ++k) {
        const QString text = QStringLiteral("&%1 %2").arg(k + 1).arg(QDir::toNativeSeparators(files[k]));
        QAction* a = first;
        if (k > 0) {
            a = MakeAction(menu, kRecentFirst + k, text);
            a->setProperty("recent", true);
            menu->insertAction(before, a);
        }
        a->setText(text);
        a->setData(files[k]);
        a->setEnabled(true);
    }
}

void CMainFrm::UpdateMenu(QMenu* menu)
{
    FillRecentEntries(menu);
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        bool ok = false;
        const int id = a->objectName().toInt(&ok);
        if (!ok || (id >= kRecentFirst && id < kRecentFirst + kRecentCount))
            continue;
        CCmdUI ui(id);
        const bool handled = RouteCmdMsg(id, &ui);
        a->setEnabled(handled && ui.m_bEnabled);
        a->setCheckable(handled && ui.m_bCheckSet);
        if (handled && ui.m_bCheckSet)
            a->setChecked(ui.m_nCheck != 0);
        if (handled && ui.m_bTextSet)
            a->setText(ui.m_strText);
    }
}

void CMainFrm::AddChildFrame(CChildFrame* frame)
{
    QMdiSubWindow* sub = m_wndMdiClient->AddChild(frame);
    sub->setWindowIcon(windowIcon());
    m_wndMdiClient->MaximizeChild(sub);
    m_wndMdiClient->setActiveSubWindow(sub);
    // A new title shows in the tab and the caption.
    if (CDocument* doc = frame->GetDocument())
        connect(doc, &CDocument::titleChanged, this, &CMainFrm::RequestIdleUpdate);
    OnIdleUpdate();
}

CChildFrame* CMainFrm::ActiveChildFrame() const
{
    QMdiSubWindow* sub = m_wndMdiClient->activeSubWindow();
    if (sub == nullptr) {
        // With the main window inactive the area reports none; the last active child is
        // still the one commands and tabs belong to.
        const auto list = m_wndMdiClient->subWindowList(QMdiArea::ActivationHistoryOrder);
        sub = list.isEmpty() ? nullptr : list.last();
    }
    return sub != nullptr ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}

QList<CChildFrame*> CMainFrm::ChildFrames() const
{
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* sub : m_wndMdiClient->subWindowList())
        if (auto* f = qobject_cast<CChildFrame*>(sub->widget()))
            frames.append(f);
    return frames;
}

void CMainFrm::ActivateFrame(CChildFrame* frame)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame->parentWidget())) {
        m_wndMdiClient->MaximizeChild(sub);
        m_wndMdiClient->setActiveSubWindow(sub);
    }
}

bool CMainFrm::RouteCmdMsg(int nID, CCmdUI* pUI)
{
    if (CChildFrame* child = ActiveChildFrame())
        return child->RouteCmdMsg(nID, pUI);
    if (OnCmdMsg(nID, pUI))
        return true;
    return theApp.OnCmdMsg(nID, pUI);
}

bool CMainFrm::ExecuteCmd(int nID)
{
    CCmdUI ui(nID);
    if (!RouteCmdMsg(nID, &ui) || !ui.m_bEnabled)
        return false;
    RequestIdleUpdate();   // what the command changed shows in menus and bars
    return RouteCmdMsg(nID, nullptr);
}

bool CMainFrm::ChangesCommandState(QEvent::Type type) const
{
    return type == MsgType(WM_RUN_ENDED) || type == MsgType(WM_FILE_CLOSE) || type == MsgType(WM_FILE_STATUS);
}

bool CMainFrm::OnCmdMsg(int nID, CCmdUI* pUI)
{
    if (nID != ID_WINDOW_CASCADE && nID != ID_WINDOW_TILE_HORZ && nID != ID_WINDOW_TILE_VERT)
        return false;
    if (pUI != nullptr) {
        pUI->Enable(true);
        return true;
    }
    if (nID == ID_WINDOW_CASCADE) {
        for (QMdiSubWindow* sub : m_wndMdiClient->subWindowList())
            m_wndMdiClient->RestoreChild(sub);
        m_wndMdiClient->cascadeSubWindows();
    } else {
        Tile(nID == ID_WINDOW_TILE_HORZ);
    }
    return true;
}

void CMainFrm::Tile(bool rows)
{
    const QList<QMdiSubWindow*> subs = m_wndMdiClient->subWindowList();
    if (subs.isEmpty())
        return;
    const QRect area = m_wndMdiClient->viewport()->rect();
    QList<int> minimum;
    for (QMdiSubWindow* sub : subs) {
        m_wndMdiClient->RestoreChild(sub);
        const QSize m = sub->minimumSizeHint();
        minimum.append(rows ? m.height() : m.width());
    }
    // Each window gets what it needs at least (the waveform pane its width) and an equal
    // share of the rest.
    const QList<int> lengths = TileLengths(minimum, rows ? area.height() : area.width());
    int at = 0;
    for (int i = 0; i < subs.size(); ++i) {
        if (rows)
            subs[i]->setGeometry(0, at, area.width(), lengths[i]);
        else
            subs[i]->setGeometry(at, 0, lengths[i], area.height());
        at += lengths[i];
    }
}

void CMainFrm::SetBaseTitle(const QString& title)
{
    m_strBaseTitle = title;
    UpdateFrameTitle();
}

void CMainFrm::UpdateFrameTitle()
{
    QString title = m_strBaseTitle;
    if (CChildFrame* child = ActiveChildFrame()) {
        const QString doc = child->GetDocument() != nullptr ? child->GetDocument()->GetTitle() : QString();
        if (!doc.isEmpty())
            title += QStringLiteral(" - ") + doc;
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrm::OnSubWindowActivated(QMdiSubWindow* sub)
{
    if (sub == nullptr)
        return;   // the main window lost the focus; the active child stays
    auto* frame = qobject_cast<CChildFrame*>(sub->widget());
    if (frame != m_pLastActive) {
        // Only the window losing the activation and the one gaining it hear of it: a third
        // window that already hid its floating bars must not remember them as hidden.
        QPointer<CChildFrame> previous = m_pLastActive;
        m_pLastActive = frame;
        if (previous != nullptr)
            previous->OnMDIActivate(frame);
        if (frame != nullptr)
            frame->OnMDIActivate(frame);
    }
    OnIdleUpdate();
}

void CMainFrm::OnIdleUpdate()
{
    CMDITabFrameWnd::OnIdleUpdate();
    CChildFrame* active = ActiveChildFrame();
    if (active == nullptr)
        m_pLastActive = nullptr;
    ShowMenu(active != nullptr ? active->MenuId() : IDR_MAINFRAME);
    UpdateFrameTitle();
    for (CChildFrame* f : ChildFrames())
        f->OnIdleUpdateCmdUI();
}

QMenu* CMainFrm::BuildTabMenu()
{
    CChildFrame* active = ActiveChildFrame();
    QMenu* menu = new QMenu(this);
    const int kind = active != nullptr ? active->MenuId() : 0;
    if (kind == IDR_AITYPE) {
        menu->addAction(MakeAction(menu, ID_RETURN_ACQ, QStringLiteral("返回到采集")));
        menu->addAction(MakeAction(menu, ID_FILE_CLOSE, QStringLiteral("关闭AI窗口")));
    } else if (kind == IDR_DIOTYPE) {
        menu->addAction(MakeAction(menu, ID_FILE_CLOSE, QStringLiteral("关闭DIO窗口")));
    }
    UpdateMenu(menu);
    return menu;
}

void CMainFrm::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CMainFrm::dropEvent(QDropEvent* e)
{
    if (OnDropFiles(e->mimeData()))
        e->acceptProposedAction();
}

bool CMainFrm::OnDropFiles(const QMimeData* data)
{
    QStringList files;
    for (const QUrl& u : data->urls())
        if (u.isLocalFile())
            files.append(u.toLocalFile());
    if (files.isEmpty())
        return false;
    // Opened after the drop has finished, so message boxes do not run inside the drag.
    QTimer::singleShot(0, this, [files] {
        for (const QString& f : files)
            theApp.OpenDocumentFile(f);
    });
    return true;
}

void CMainFrm::closeEvent(QCloseEvent* e)
{
    // Every child window closes first: each document runs its close step.
    for (CChildFrame* f : ChildFrames())
        f->CloseFrame();
    CMDITabFrameWnd::closeEvent(e);
}

} // namespace nuv
