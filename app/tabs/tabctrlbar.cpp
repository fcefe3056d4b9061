#include "app/tabs/tabctrlbar.h"

#include "res/bitmaps.h"
#include "framework/childfrm.h"
#include "framework/document.h"
#include "res/resource.h"

#include <QApplication>
#include <QFrame>
#include <QScrollArea>
#include <QTabBar>

namespace nuv {

CTabCtrlBar::CTabCtrlBar(QMainWindow* frame) : CCtrlBarEx(frame)
{
    auto* panel = new QFrame(Client());
    panel->setFrameShape(QFrame::StyledPanel);
    m_pPanel = panel;
    m_pTabCtrl = new QTabBar(Client());
    m_pTabCtrl->setObjectName(QString::number(IDC_BAR_TABCTRL));
    m_pTabCtrl->setFont(QApplication::font());
    m_pTabCtrl->setIconSize(QSize(16, 16));
    m_pTabCtrl->setDrawBase(false);
    m_pTabCtrl->setExpanding(false);
    m_images = LoadImageStrip(IDB_BAR_TABS);
    connect(m_pTabCtrl, &QTabBar::currentChanged, this, [this](int i) { SetActiveView(i); });
}

CTabCtrlBar::~CTabCtrlBar() = default;

// Each view sits in a scroll area of its own, so a form taller than the bar scrolls
// instead of being squeezed until its controls overlap.
static QWidget* Holder(CView* view)
{
    QWidget* w = view->GetWidget();
    QWidget* viewport = w->parentWidget();
    return viewport != nullptr && viewport->parentWidget() != nullptr ? viewport->parentWidget() : w;
}

static void ShowView(CView* view, bool show)
{
    QWidget* w = view->GetWidget();
    w->setEnabled(show);
    w->setVisible(show);
    Holder(view)->setVisible(show);
}

bool CTabCtrlBar::AddViewObject(const QString& label, CView* view)
{
    if (view == nullptr || view->GetWidget() == nullptr)
        return false;
    QWidget* w = view->GetWidget();
    auto* holder = new QScrollArea(Client());
    holder->setFrameShape(QFrame::NoFrame);
    holder->setWidgetResizable(true);
    // Filled, so the panel's frame behind it is not drawn again under every change of a
    // field inside (Qt leaves out only opaque siblings when it repaints the one below).
    holder->setAutoFillBackground(true);
    holder->setWidget(w);
    const QString text = label.left(kBarLabelMax);
    m_views.append({view, text});
    const int n = int(m_views.size());
    if (n == 1) {
        m_nActiveTab = 0;
        if (auto* frame = qobject_cast<CChildFrame*>(Frame()))
            frame->SetActiveView(view);
        ShowView(view, true);
    } else {
        ShowView(view, false);
    }
    const QSignalBlocker block(m_pTabCtrl);
    const int image = n - 1;
    const int idx = m_pTabCtrl->addTab(text);
    if (image < m_images.size())
        m_pTabCtrl->setTabIcon(idx, QIcon(m_images[image]));
    if (n == 1)
        m_pTabCtrl->setCurrentIndex(0);
    OnSizeClient(Client()->width(), Client()->height());
    return true;
}

void CTabCtrlBar::SetActiveView(int i)
{
    if (i == -1 || i == m_nActiveTab || i >= m_views.size())
        return;
    if (m_nActiveTab >= 0 && m_nActiveTab < m_views.size()) {
        ShowView(m_views[m_nActiveTab].pView, false);
    }
    CView* view = m_views[i].pView;
    ShowView(view, true);
    view->GetWidget()->setFocus();
    if (auto* frame = qobject_cast<CChildFrame*>(Frame()))
        frame->SetActiveView(view);
    m_nActiveTab = i;
    const QSignalBlocker block(m_pTabCtrl);
    m_pTabCtrl->setCurrentIndex(i);
}

void CTabCtrlBar::OnSizeClient(int w, int h)
{
    const TabBarLayout l = LayoutTabBar(Side(), w, h);
    const int tabH = std::min(l.tabs.height(), m_pTabCtrl->sizeHint().height());
    m_pTabCtrl->setGeometry(l.tabs.x(), l.tabs.y(), l.tabs.width(), tabH);
    m_pPanel->setGeometry(l.tabs.adjusted(0, tabH, 0, 0));
    for (const TCB_ITEM& item : m_views)
        Holder(item.pView)->setGeometry(l.view);
}

} // namespace nuv
