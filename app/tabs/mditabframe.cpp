#include "app/tabs/mditabframe.h"

#include "app/tabs/mdiclient.h"
#include "app/tabs/tabctrldoc.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

namespace nuv {

CMDITabFrameWnd::CMDITabFrameWnd(QWidget* parent) : QMainWindow(parent)
{
    auto* central = new QWidget(this);
    auto* box = new QVBoxLayout(central);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    m_wndTabBar = new CTabCtrlBarDoc(central);
    m_wndMdiClient = new CMdiClient(central);
    m_wndMdiClient->SetTabBar(m_wndTabBar);
    m_wndTabBar->SetMdiArea(m_wndMdiClient);
    box->addWidget(m_wndTabBar);
    box->addWidget(m_wndMdiClient, 1);
    setCentralWidget(central);

    connect(m_wndTabBar, &CTabCtrlBarDoc::contextMenuRequested, this, &CMDITabFrameWnd::ShowTabMenu);
    connect(m_wndMdiClient, &QMdiArea::subWindowActivated, this, [this] { OnIdleUpdate(); });

    m_pIdleTimer = new QTimer(this);
    m_pIdleTimer->setSingleShot(true);
    m_pIdleTimer->setInterval(0);
    connect(m_pIdleTimer, &QTimer::timeout, this, [this] { OnIdleUpdate(); });
    qApp->installEventFilter(this);
    RequestIdleUpdate();
}

CMDITabFrameWnd::~CMDITabFrameWnd()
{
    qApp->removeEventFilter(this);
    disconnect(m_wndMdiClient, nullptr, this, nullptr);
    m_pIdleTimer->stop();
}

void CMDITabFrameWnd::RequestIdleUpdate()
{
    if (!m_pIdleTimer->isActive())
        m_pIdleTimer->start();
}

bool CMDITabFrameWnd::IsIdleUpdatePending() const { return m_pIdleTimer->isActive(); }

bool CMDITabFrameWnd::eventFilter(QObject* watched, QEvent* e)
{
    // Every event of the program passes here: only a few types, compared at once, ask.
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Close:
        RequestIdleUpdate();
        break;
    default:
        if (e->type() >= QEvent::User && ChangesCommandState(e->type()))
            RequestIdleUpdate();
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void CMDITabFrameWnd::OnIdleUpdate() { m_wndTabBar->RefreshTabs(); }

void CMDITabFrameWnd::ShowTabMenu(QPoint global)
{
    QMenu* menu = BuildTabMenu();
    if (menu == nullptr)
        return;
    if (!menu->isEmpty())
        menu->exec(global);
    delete menu;
}

} // namespace nuv
