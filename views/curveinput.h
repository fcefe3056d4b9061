// Translation of Qt input to the waveform views' vocabulary: pointer shapes, scroll bar
// actions, scroll keys and wheel notches.
#pragma once

#include "views/curvegeom.h"

#include <QAbstractSlider>
#include <QWheelEvent>

namespace nuv {

inline Qt::CursorShape PointerFor(int shape)
{
    switch (shape) {
    case curve::kShapeResize: return Qt::SizeHorCursor;
    case curve::kShapeMoveAll: return Qt::SizeAllCursor;
    case curve::kShapeHand: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

inline curve::ScrollRequest RequestFor(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return curve::ScrollRequest::LineLeft;
    case QAbstractSlider::SliderSingleStepAdd: return curve::ScrollRequest::LineRight;
    case QAbstractSlider::SliderPageStepSub: return curve::ScrollRequest::PageLeft;
    case QAbstractSlider::SliderPageStepAdd: return curve::ScrollRequest::PageRight;
    case QAbstractSlider::SliderMove: return curve::ScrollRequest::ThumbTrack;
    default: return curve::ScrollRequest::Other;
    }
}

inline curve::ScrollKey KeyFor(int key)
{
    switch (key) {
    case Qt::Key_PageUp: return curve::ScrollKey::PageUp;
    case Qt::Key_PageDown: return curve::ScrollKey::PageDown;
    case Qt::Key_End: return curve::ScrollKey::End;
    case Qt::Key_Home: return curve::ScrollKey::Home;
    case Qt::Key_Left: return curve::ScrollKey::Left;
    case Qt::Key_Right: return curve::ScrollKey::Right;
    default: return curve::ScrollKey::Other;
    }
}

// Whole wheel notches (120 eighths of a degree) of a wheel event; high-resolution wheels
// and touchpads deliver fractions that add up here. Positive: rolled away from the user.
class CWheelNotches {
public:
    int Notches(const QWheelEvent* e)
    {
        const QPoint d = e->angleDelta();
        m_acc += d.y() != 0 ? d.y() : d.x();
        const int n = m_acc / 120;
        m_acc -= n * 120;
        return n;
    }

private:
    int m_acc = 0;
};

} // namespace nuv
