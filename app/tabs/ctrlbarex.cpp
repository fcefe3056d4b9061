#include "app/tabs/ctrlbarex.h"

#include "framework/childfrm.h"
#include "framework/cmdtarget.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStyleOption>

namespace nuv {

namespace {

// The bar's body: the sizing strip on its inner side and the client area beside it.
class CBarBody : public QWidget {
public:
    CBarBody(CCtrlBarEx* bar, QWidget* client) : QWidget(bar), m_pBar(bar), m_pClient(client)
    {
        client->setParent(this);
        setMouseTracking(true);
        setAutoFillBackground(true);
    }

    void Relayout()
    {
        QRect r = rect();
        const QRect e = m_pBar->EdgeRectInBar();
        if (!e.isEmpty()) {
            switch (m_pBar->Side()) {
            case BarSide::Top: r.setBottom(r.bottom() - e.height()); break;
            case BarSide::Bottom: r.setTop(r.top() + e.height()); break;
            case BarSide::Left: r.setRight(r.right() - e.width()); break;
            case BarSide::Right: r.setLeft(r.left() + e.width()); break;
            default: break;
            }
        }
        m_pClient->setGeometry(r);
        m_pBar->OnSizeClient(r.width(), r.height());
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { Relayout(); }

    void paintEvent(QPaintEvent*) override
    {
        const QRect e = EdgeInBody();
        if (e.isEmpty())
            return;
        QPainter p(this);
        p.fillRect(e, palette().button());
        p.setPen(palette().light().color());
        p.drawLine(e.topLeft(), e.topRight());
        p.drawLine(e.topLeft(), e.bottomLeft());
        p.setPen(palette().dark().color());
        p.drawLine(e.bottomLeft(), e.bottomRight());
        p.drawLine(e.topRight(), e.bottomRight());
    }

    void mousePressEvent(QMouseEvent* ev) override
    {
        if (ev->button() == Qt::LeftButton && EdgeInBody().contains(ev->position().toPoint()) && !m_pBar->IsTracking()) {
            grabMouse();
            m_pBar->StartTracking(ToBar(ev->position().toPoint()));
            return;
        }
        QWidget::mousePressEvent(ev);
    }

    void mouseMoveEvent(QMouseEvent* ev) override
    {
        const QPoint p = ev->position().toPoint();
        if (m_pBar->IsTracking()) {
            m_pBar->MoveTracking(ToBar(p));
            return;
        }
        if (EdgeInBody().contains(p))
            setCursor(IsHorzSide(m_pBar->Side()) ? Qt::SizeVerCursor : Qt::SizeHorCursor);
        else
            unsetCursor();
    }

    void mouseReleaseEvent(QMouseEvent* ev) override
    {
        if (m_pBar->IsTracking() && ev->button() == Qt::LeftButton) {
            releaseMouse();
            m_pBar->StopTracking(true);
            return;
        }
        QWidget::mouseReleaseEvent(ev);
    }

    void changeEvent(QEvent* ev) override
    {
        // Capture taken by another window ends the drag without accepting it.
        if (ev->type() == QEvent::ActivationChange && m_pBar->IsTracking() && !isActiveWindow()) {
            releaseMouse();
            m_pBar->StopTracking(false);
        }
        QWidget::changeEvent(ev);
    }

private:
    QRect EdgeInBody() const { return m_pBar->EdgeRectInBar().translated(-pos()); }
    QPoint ToBar(QPoint p) const { return p + pos(); }

    CCtrlBarEx* m_pBar;
    QWidget* m_pClient;
};

} // namespace

CCtrlBarEx::CCtrlBarEx(QMainWindow* frame) : QDockWidget(frame), m_pFrame(frame)
{
    m_pClient = new QWidget;
    m_pBody = new CBarBody(this, m_pClient);
    setWidget(m_pBody);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    connect(this, &QDockWidget::dockLocationChanged, this, [this] { OnSideChanged(); });
    connect(this, &QDockWidget::topLevelChanged, this, [this] { OnSideChanged(); });
}

CCtrlBarEx::~CCtrlBarEx() = default;

bool CCtrlBarEx::Create(const QString& title, int cx, int cy, int nID)
{
    m_szHorz = m_szVert = m_szFloat = QSize(cx, cy);
    setWindowTitle(title);
    setObjectName(QString::number(nID));
    return m_pFrame != nullptr;
}

BarSide CCtrlBarEx::Side() const
{
    if (isFloating())
        return BarSide::Floating;
    if (m_pFrame == nullptr)
        return BarSide::None;
    switch (m_pFrame->dockWidgetArea(const_cast<CCtrlBarEx*>(this))) {
    case Qt::TopDockWidgetArea: return BarSide::Top;
    case Qt::BottomDockWidgetArea: return BarSide::Bottom;
    case Qt::LeftDockWidgetArea: return BarSide::Left;
    case Qt::RightDockWidgetArea: return BarSide::Right;
    default: return BarSide::None;
    }
}

int CCtrlBarEx::StoredSize(BarSide side) const
{
    if (IsHorzSide(side))
        return m_szHorz.height();
    if (IsVertSide(side))
        return m_szVert.width();
    return 0;
}

QRect CCtrlBarEx::EdgeRectInBar() const
{
    // The body fills the dock widget below its title; the strip lies inside the body.
    const QRect body = m_pBody->geometry();
    return EdgeRect(Side(), body.size()).translated(body.topLeft());
}

void CCtrlBarEx::ApplyLimits()
{
    const BarSide side = Side();
    if (side == BarSide::Floating) {
        setMinimumSize(m_szMin);
        setMaximumSize(m_szMax);
    } else {
        // Docked, the minimum applies to the operator's drag (StopTracking); a window too
        // small for the bar and its panes may squeeze it further, its views then scroll.
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setMinimumSize(0, 0);
    }
}

void CCtrlBarEx::ApplyStoredSize()
{
    const BarSide side = Side();
    ApplyLimits();
    if (side == BarSide::Floating) {
        resize(ClampFloatingSize(m_szFloat));
    } else if (IsHorzSide(side)) {
        m_pFrame->resizeDocks({this}, {m_szHorz.height()}, Qt::Vertical);
    } else if (IsVertSide(side)) {
        m_pFrame->resizeDocks({this}, {m_szVert.width()}, Qt::Horizontal);
    }
}

void CCtrlBarEx::OnSideChanged()
{
    const BarSide side = Side();
    if (side == m_nSide)
        return;
    m_nSide = side;
    ApplyStoredSize();
    static_cast<CBarBody*>(m_pBody)->Relayout();
}

void CCtrlBarEx::resizeEvent(QResizeEvent* e)
{
    QDockWidget::resizeEvent(e);
    if (Side() == BarSide::Floating && isVisible())
        m_szFloat = ClampFloatingSize(size());
}

bool CCtrlBarEx::eventFilter(QObject* o, QEvent* e) { return QDockWidget::eventFilter(o, e); }

QRect CCtrlBarEx::TrackingRectInFrame() const
{
    QRect r = EdgeRectInBar();
    if (IsVertSide(Side()))
        r.setBottom(r.bottom() - 4);
    if (IsHorzSide(Side()))
        r.translate(0, m_nMoved);
    else
        r.translate(m_nMoved, 0);
    const QPoint origin = mapTo(m_pFrame, QPoint(0, 0));
    return r.translated(origin).adjusted(1, 1, -1, -1);
}

void CCtrlBarEx::StartTracking(QPoint pos)
{
    const BarSide side = Side();
    if (m_bTracking || !(IsHorzSide(side) || IsVertSide(side)))
        return;
    m_bTracking = true;
    m_nMoved = 0;
    m_ptStart = EdgeRectInBar().center();
    Q_UNUSED(pos);
    if (m_pTracker == nullptr)
        m_pTracker = new QRubberBand(QRubberBand::Line, m_pFrame);
    m_pTracker->setGeometry(TrackingRectInFrame());
    m_pTracker->show();
    m_pTracker->raise();
}

void CCtrlBarEx::MoveTracking(QPoint pos)
{
    if (!m_bTracking)
        return;
    const int along = IsHorzSide(Side()) ? pos.y() - m_ptStart.y() : pos.x() - m_ptStart.x();
    if (along == m_nMoved)
        return;
    m_nMoved = along;
    if (m_pTracker != nullptr)
        m_pTracker->setGeometry(TrackingRectInFrame());
}

void CCtrlBarEx::StopTracking(bool accept)
{
    if (!m_bTracking)
        return;
    m_bTracking = false;
    if (m_pTracker != nullptr)
        m_pTracker->hide();
    if (!accept)
        return;
    const BarSide side = Side();
    const bool horz = IsHorzSide(side);
    const int cur = horz ? height() : width();
    const int avail = horz ? m_pFrame->height() : m_pFrame->width();
    const int from = horz ? m_ptStart.y() : m_ptStart.x();
    const int d = InwardDistance(side, from, from + m_nMoved);
    const int size = DraggedBarSize(cur, d, avail, horz ? m_szMin.height() : m_szMin.width());
    if (horz)
        m_szHorz.setHeight(size);
    else
        m_szVert.setWidth(size);
    m_nMoved = 0;
    m_pFrame->resizeDocks({this}, {size}, horz ? Qt::Vertical : Qt::Horizontal);
}

void CCtrlBarEx::UpdateCmdUI()
{
    auto* frame = qobject_cast<CChildFrame*>(m_pFrame);
    if (frame == nullptr)
        return;
    const auto children = m_pClient->findChildren<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (QAbstractButton* b : children) {
        bool ok = false;
        const int id = b->objectName().toInt(&ok);
        if (!ok)
            continue;
        CCmdUI ui(id);
        b->setEnabled(frame->RouteCmdMsg(id, &ui) && ui.m_bEnabled);
    }
}

} // namespace nuv
