// Mouse, keyboard, wheel and scroll bar of the waveform views: cursors, panning, strip
// selection and enlargement.
#include "views/curveviewbase.h"

#include "views/curveinput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace nuv {

using namespace curve;

void CCurveViewBase::ApplyShape(int shape)
{
    if (shape == m_nShape)
        return;
    m_nShape = shape;
    viewport()->setCursor(PointerFor(shape));
}

void CCurveViewBase::SetScrollBarPos(int position)
{
    QScrollBar* bar = horizontalScrollBar();
    const QSignalBlocker block(bar);
    bar->setValue(position);
}

void CCurveViewBase::ScrollFollowUp(int position)
{
    SetScrollBarPos(position);
    FollowPosition();
    RedrawAll();
    PublishCursorIndices();
    PositionMoved();
}

void CCurveViewBase::OnScrollAction(int action)
{
    if (!HasDoc())
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int pos = ScrollTarget(RequestFor(action), Position(), bar->pageStep(), bar->sliderPosition(),
                                 MaxPosition());
    SetPosition(pos);
    bar->setSliderPosition(pos);
    ScrollFollowUp(pos);
}

void CCurveViewBase::mousePressEvent(QMouseEvent* e)
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

void CCurveViewBase::mouseMoveEvent(QMouseEvent* e)
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
        // A view without cursor 2 moves only cursor 1: neither the pair nor cursor 2.
        const bool both = CursorCount() == 2;
        const int before0 = m_nCursorX[0], before1 = m_nCursorX[1];
        if (m_nDragMode == kDragBoth && both) {
            m_nCursorX[0] = m_nPressX1 + (x - m_nPressX);
            m_nCursorX[1] = m_nPressX2 + (x - m_nPressX);
        } else if (m_nDragMode == kDragCursor1) {
            m_nCursorX[0] = x;
        } else if (m_nDragMode == kDragCursor2 && both) {
            m_nCursorX[1] = x;
        }
        if (before0 != m_nCursorX[0] || before1 != m_nCursorX[1])
            viewport()->update();
    }
    if (m_nDragMode == kDragPan && m_bButtonDown && HasDoc()) {
        const int pos = PanTarget(Position(), m_nLastMouseX, x, MaxPosition());
        SetPosition(pos);
        ScrollToPosition(pos, true);
    }
    m_nLastMouseX = x;
    if (dragging)
        PublishCursorIndices();
    e->accept();
}

void CCurveViewBase::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    if (m_bPairDrag) {
        ApplyShape(kShapeArrow);
        m_bPairDrag = false;
    }
    if (m_nDragMode == kDragPan && m_bButtonDown)
        PositionMoved();
    m_nDragMode = kDragNone;
    m_bButtonDown = false;
    const QPoint pt = e->position().toPoint();
    if (Tiled() && m_layout.plot.Contains(pt.x(), pt.y())) {
        m_bFullRedraw = true;
        viewport()->update();
    }
    e->accept();
}

void CCurveViewBase::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !HasDoc())
        return;
    const QPoint pt = e->position().toPoint();
    const DblClick r = DoubleClick(Tiled(), m_layout.plot.Contains(pt.x(), pt.y()), m_bAllStrips,
                                   SelectedStrip(), pt.y(), m_geom, StripCount(), m_layout.plotHeight);
    if (!r.acted)
        return;
    m_bAllStrips = r.allStrips;
    SetSelectedStrip(r.selected);
    if (r.redraw) {
        m_bFullRedraw = true;
        viewport()->update();
    }
    if (r.publish)
        PublishCursorIndices();
    e->accept();
}

void CCurveViewBase::keyPressEvent(QKeyEvent* e)
{
    const ScrollKey key = KeyFor(e->key());
    if (!HasDoc() || key == ScrollKey::Other) {
        QWidget::keyPressEvent(e);
        return;
    }
    const int pos = key == ScrollKey::End ? EndPosition()
                                          : KeyTarget(key, Position(), horizontalScrollBar()->pageStep(), MaxPosition());
    SetPosition(pos);
    ScrollFollowUp(pos);
    e->accept();
}

void CCurveViewBase::wheelEvent(QWheelEvent* e)
{
    e->accept();
    if (!HasDoc())
        return;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int notches = m_wheel.Notches(e);
    if (notches == 0)
        return;
    int p = horizontalScrollBar()->value();
    if (!ctrl) {
        for (int n = 0; n < (notches < 0 ? -notches : notches); ++n)
            p = WheelTarget(p, notches < 0 ? -1 : 1, false, MaxPosition());
        SetPosition(p);
        SetScrollBarPos(p);
    }
    // The window at the new position is loaded before the traces are computed from it.
    FollowPosition();
    RedrawAll();
    PublishCursorIndices();
    PositionMoved();
}

} // namespace nuv
