#include "app/tabs/tabctrldoc.h"

#include "app/tabs/barsizing.h"
#include "res/bitmaps.h"
#include "framework/childfrm.h"
#include "res/resource.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace nuv {

namespace {
constexpr int kImageSize = 16;
constexpr int kEdgeHeight = 2;   // system edge height

quintptr Key(const QMdiSubWindow* sub) { return reinterpret_cast<quintptr>(sub); }

// The image of a window's tab shows its kind: AI 0, DIO 1, history 2; other windows have
// text only.
int KindImage(const QMdiSubWindow* sub)
{
    const auto* frame = qobject_cast<const CChildFrame*>(sub != nullptr ? sub->widget() : nullptr);
    switch (frame != nullptr ? frame->MenuId() : 0) {
    case IDR_AITYPE: return 0;
    case IDR_DIOTYPE: return 1;
    case IDR_HISTTYPE: return 2;
    default: return -1;
    }
}
} // namespace

CTabCtrlDoc::CTabCtrlDoc(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QString::number(IDC_WINDOW_TABCTRL));
    setFont(QApplication::font());
    setExpanding(false);
    setDrawBase(true);
    setElideMode(Qt::ElideNone);
}

QMdiSubWindow* CTabCtrlDoc::TabWindow(int i) const
{
    const QVariantList d = tabData(i).toList();
    return d.size() == 2 ? reinterpret_cast<QMdiSubWindow*>(d[0].value<quintptr>()) : nullptr;
}

int CTabCtrlDoc::TabImage(int i) const
{
    const QVariantList d = tabData(i).toList();
    return d.size() == 2 ? d[1].toInt() : -1;
}

QString CTabCtrlDoc::DrawnText(int i) const { return tabText(i).left(kWindowTabTextMax); }

QSize CTabCtrlDoc::tabSizeHint(int index) const
{
    const QFontMetrics fm(font());
    int w = fm.horizontalAdvance(DrawnText(index)) + 24;
    const int image = TabImage(index);
    if (image >= 0 && image < m_images.size())
        w += fm.horizontalAdvance(QLatin1Char(' ')) + kImageSize;
    const int h = std::max(fm.height(), kImageSize) + 10;
    return QSize(std::max(w, 60), h);
}

void CTabCtrlDoc::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    const int cur = currentIndex();
    for (int i = 0; i < count(); ++i) {
        QRect r = tabRect(i);
        const bool current = (i == cur);
        // Every tab: lowered by the edge height, button face; the current one raised back.
        QRect fill = r.adjusted(0, kEdgeHeight, 0, 0);
        if (current)
            fill = r;
        p.fillRect(fill, face);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(fill.topLeft(), fill.topRight());
        p.drawLine(fill.topLeft(), fill.bottomLeft());
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(fill.topRight(), fill.bottomRight());
        if (!current)
            p.drawLine(fill.bottomLeft(), fill.bottomRight());

        QRect text = fill.adjusted(0, 0, 0, -3);
        const int image = TabImage(i);
        if (!m_images.isEmpty() && image >= 0 && image < m_images.size()) {
            text.setLeft(text.left() + p.fontMetrics().horizontalAdvance(QLatin1Char(' ')));
            const int y = fill.top() + (fill.height() - kImageSize) / 2;
            p.drawPixmap(text.left(), y, m_images[image]);
            text.setLeft(text.left() + kImageSize);
        }
        p.setPen(current ? m_crSelected : m_crNormal);
        const int align = current ? (Qt::AlignHCenter | Qt::AlignVCenter) : (Qt::AlignHCenter | Qt::AlignBottom);
        p.drawText(text, align | Qt::TextSingleLine, DrawnText(i));
    }
}

void CTabCtrlDoc::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        const int hit = tabAt(e->position().toPoint());
        if (hit >= 0 && hit == currentIndex())
            emit contextMenuOnCurrent(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QTabBar::mousePressEvent(e);
}

CTabCtrlBarDoc::CTabCtrlBarDoc(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(IDW_WINDOW_TABBAR));
    m_pTabCtrl = new CTabCtrlDoc(this);
    m_pTabCtrl->SetImages(LoadImageStrip(IDB_WINDOW_TABS));
    const QFontMetrics fm(m_pTabCtrl->font());
    setFixedHeight(std::max(fm.height(), kImageSize) + 10 + 2 * kEdgeHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_pTabCtrl, &QTabBar::currentChanged, this, [this](int i) {
        if (m_bRefreshing || m_pMdiArea == nullptr || i < 0)
            return;
        QMdiSubWindow* sub = m_pTabCtrl->TabWindow(i);
        if (sub != nullptr && m_pMdiArea->subWindowList().contains(sub))
            m_pMdiArea->setActiveSubWindow(sub);
    });
    connect(m_pTabCtrl, &CTabCtrlDoc::contextMenuOnCurrent, this, &CTabCtrlBarDoc::contextMenuRequested);
}

void CTabCtrlBarDoc::resizeEvent(QResizeEvent*)
{
    m_pTabCtrl->setGeometry(0, 0, std::max(0, width() - 7), height());
}

void CTabCtrlBarDoc::AddTab(QMdiSubWindow* sub)
{
    const int image = KindImage(sub);
    m_bRefreshing = true;
    const int i = m_pTabCtrl->addTab(QString());
    m_pTabCtrl->setTabData(i, QVariantList{QVariant::fromValue(Key(sub)), image});
    m_bRefreshing = false;
}

int CTabCtrlBarDoc::FindTab(const QMdiSubWindow* sub) const
{
    for (int i = 0; i < m_pTabCtrl->count(); ++i)
        if (m_pTabCtrl->TabWindow(i) == sub)
            return i;
    return -1;
}

void CTabCtrlBarDoc::RemoveTab(QMdiSubWindow* sub)
{
    const int i = FindTab(sub);
    if (i < 0)
        return;
    m_bRefreshing = true;
    m_pTabCtrl->removeTab(i);
    m_bRefreshing = false;
}

void CTabCtrlBarDoc::RefreshTabs()
{
    if (m_pMdiArea == nullptr)
        return;
    const QList<QMdiSubWindow*> live = m_pMdiArea->subWindowList();
    QMdiSubWindow* active = m_pMdiArea->activeSubWindow();
    m_bRefreshing = true;
    for (int i = 0; i < m_pTabCtrl->count(); ++i) {
        QMdiSubWindow* sub = m_pTabCtrl->TabWindow(i);
        if (sub == nullptr || !live.contains(sub))
            continue;
        const QString caption = sub->widget() != nullptr ? sub->widget()->windowTitle() : sub->windowTitle();
        if (caption != m_pTabCtrl->tabText(i))
            m_pTabCtrl->setTabText(i, caption);
        if (sub == active && m_pTabCtrl->currentIndex() != i)
            m_pTabCtrl->setCurrentIndex(i);
    }
    m_bRefreshing = false;
}

} // namespace nuv
