// Mouse, keyboard, wheel and scroll bar of the live waveform view: cursors, panning,
// channel selection and enlargement.
#include "aicurveview.h"

#include "aidoc.h"
#include "curveinput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace nuv {

using namespace curve;

void CAICurveView::ApplyShape(int shape)
{
    if (shape == m_nShape)
        return;
    m_nShape = shape;
    viewport()->setCursor(PointerFor(shape));
}

void CAICurveView::SetScrollBarPos(int position)
{
    QScrollBar* bar = horizontalScrollBar();
    const QSignalBlocker block(bar);
    bar->setValue(position);
}

void CAICurveView::ScrollFollowUp(int position)
{
    SetScrollBarPos(position);
    UpdateVisibleCount();
    RedrawAll();
    PublishCursorIndices();
}

void CAICurveView::OnScrollAction(int action)
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int pos = ScrollTarget(RequestFor(action), doc->m_nScrollPos, bar->pageStep(), bar->sliderPosition(),
                                 doc->m_nMaxScrollPos);
    doc->m_nScrollPos = pos;
    bar->setSliderPosition(pos);
    ScrollFollowUp(pos);
}

void CAICurveView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    const QPoint pt = e->position().toPoint();
    const int x = pt.x();
    m_bButtonDown = true;
    if (m_layout.plot.Contains(x, pt.y())) {
        if (e->modifiers() & Qt::ControlModifier) {
            m_bPairDrag = true;
            if (PairHit(x, m_nCursorX[0], m_nCursorX[1])) {
                m_nDragMode = kDragBoth;
                ApplyShape(kShapeMoveAll);
                m_nPressX = x;
                m_nPressX1 = m_nCursorX[0];
                m_nPressX2 = m_nCursorX[1];
                m_confine = PairConfine(m_layout.plot, x, m_nPressX1, m_nPressX2);
            }
        } else {
            m_nDragMode = PressDragMode(x, m_nCursorX[0], m_nCursorX[1]);
            m_confine = CursorConfine(m_layout.plot);
        }
    }
    // The widget keeps the mouse while the button is down.
    e->accept();
}

void CAICurveView::mouseMoveEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint pt = e->position().toPoint();
    int x = pt.x();
    ApplyShape(MoveShape(m_layout.plot.Contains(x, pt.y()), m_bButtonDown, m_bPairDrag, m_nShape, x, m_nCursorX[0],
                         m_nCursorX[1]));
    const bool dragging = m_bButtonDown || m_bPairDrag;
    // The pointer is not confined on every platform: the drag keeps to the plot itself.
    if (dragging && m_nDragMode != kDragNone)
        x = m_confine.Clamp(x);
    if (dragging) {
        const int before0 = m_nCursorX[0], before1 = m_nCursorX[1];
        if (m_nDragMode == kDragBoth) {
            m_nCursorX[0] = m_nPressX1 + (x - m_nPressX);
            m_nCursorX[1] = m_nPressX2 + (x - m_nPressX);
        } else if (m_nDragMode == kDragCursor1) {
            m_nCursorX[0] = x;
        } else if (m_nDragMode == kDragCursor2) {
            m_nCursorX[1] = x;
        }
        if (before0 != m_nCursorX[0] || before1 != m_nCursorX[1])
            viewport()->update();
    }
    CAIDoc* doc = GetDoc();
    if (m_nDragMode == kDragPan && m_bButtonDown && doc != nullptr) {
        const int pos = PanTarget(doc->m_nScrollPos, m_nLastMouseX, x, doc->m_nMaxScrollPos);
        doc->m_nScrollPos = pos;
        ScrollToPosition(pos, true);
    }
    m_nLastMouseX = x;
    if (dragging)
        PublishCursorIndices();
    e->accept();
}

void CAICurveView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    if (m_bPairDrag) {
        ApplyShape(kShapeArrow);
        m_bPairDrag = false;
    }
    m_nDragMode = kDragNone;
    m_bButtonDown = false;
    const QPoint pt = e->position().toPoint();
    CAIDoc* doc = GetDoc();
    if (doc != nullptr && doc->m_bTile && m_layout.plot.Contains(pt.x(), pt.y())) {
        m_bFullRedraw = true;
        viewport()->update();
    }
    e->accept();
}

void CAICurveView::mouseDoubleClickEvent(QMouseEvent* e)
{
    CAIDoc* doc = GetDoc();
    if (e->button() != Qt::LeftButton || doc == nullptr)
        return;
    const QPoint pt = e->position().toPoint();
    const DblClick r = DoubleClick(doc->m_bTile != 0, m_layout.plot.Contains(pt.x(), pt.y()), m_bAllStrips,
                                   doc->m_nSelChannel, pt.y(), m_geom, kLiveStrips, m_layout.plotHeight);
    if (!r.acted)
        return;
    m_bAllStrips = r.allStrips;
    doc->m_nSelChannel = r.selected;
    if (r.redraw) {
        m_bFullRedraw = true;
        viewport()->update();
    }
    if (r.publish)
        PublishCursorIndices();
    e->accept();
}

void CAICurveView::keyPressEvent(QKeyEvent* e)
{
    CAIDoc* doc = GetDoc();
    const ScrollKey key = KeyFor(e->key());
    if (doc == nullptr || key == ScrollKey::Other) {
        QWidget::keyPressEvent(e);
        return;
    }
    const int pos = KeyTarget(key, doc->m_nScrollPos, horizontalScrollBar()->pageStep(), doc->m_nMaxScrollPos);
    doc->m_nScrollPos = pos;
    ScrollFollowUp(pos);
    e->accept();
}

void CAICurveView::wheelEvent(QWheelEvent* e)
{
    CAIDoc* doc = GetDoc();
    e->accept();
    if (doc == nullptr)
        return;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int notches = m_wheel.Notches(e);
    for (int n = 0; n < (notches < 0 ? -notches : notches); ++n) {
        int p = horizontalScrollBar()->value();
        if (!ctrl) {
            p = WheelTarget(p, notches < 0 ? -1 : 1, false, doc->m_nMaxScrollPos);
            doc->m_nScrollPos = p;
            SetScrollBarPos(p);
        }
        RedrawAll();
        PublishCursorIndices();
        UpdateVisibleCount();
    }
}

} // namespace nuv
