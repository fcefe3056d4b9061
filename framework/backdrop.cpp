#include "framework/backdrop.h"

#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>

namespace nuv {

CBackdrop::CBackdrop(QWidget* field, QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    setSizePolicy(field->sizePolicy());
}

CBackdrop::~CBackdrop()
{
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget())
        w->removeEventFilter(this);
}

void CBackdrop::paintEvent(QPaintEvent* e)
{
    const qreal dpr = devicePixelRatioF();
    if (m_copy.isNull() || m_copy.deviceIndependentSize() != QSizeF(size()))
        TakeCopy(dpr);
    QPainter p(this);
    for (const QRect& r : e->region())
        p.drawPixmap(r, m_copy, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
}

void CBackdrop::resizeEvent(QResizeEvent*)
{
    m_copy = QPixmap();
}

void CBackdrop::moveEvent(QMoveEvent*)
{
    m_copy = QPixmap();
}

void CBackdrop::changeEvent(QEvent* e)
{
    m_copy = QPixmap();
    QWidget::changeEvent(e);
}

// The widgets the copy was taken from: a change of their own size, place or look. It does
// not always reach this holder (behind a group box with a palette of its own, say), and
// their repaint leaves an opaque widget out, so the holder asks for its own.
bool CBackdrop::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::EnabledChange:
    case QEvent::LayoutDirectionChange:
        if (!m_copy.isNull()) {
            m_copy = QPixmap();
            update();
        }
        break;
    default: break;
    }
    return false;
}

// Each ancestor's own drawing, without its children, from the first one that fills its
// background down to the parent: what the window shows under the holder.
void CBackdrop::TakeCopy(qreal dpr)
{
    m_copy = QPixmap((QSizeF(size()) * dpr).toSize());
    m_copy.setDevicePixelRatio(dpr);
    QWidget* chain[32];
    int n = 0;
    for (QWidget* w = parentWidget(); w != nullptr && n < 32; w = w->parentWidget()) {
        chain[n++] = w;
        if (w->isWindow() || w->autoFillBackground())
            break;
    }
    if (n == 0 || (!chain[n - 1]->isWindow() && !chain[n - 1]->autoFillBackground()))
        m_copy.fill(palette().color(QPalette::Window));
    for (int k = n - 1; k >= 0; --k) {
        QWidget* w = chain[k];
        w->installEventFilter(this);
        w->render(&m_copy, QPoint(), QRegion(QRect(mapTo(w, QPoint()), size())),
                  k == n - 1 ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    }
}

} // namespace nuv
