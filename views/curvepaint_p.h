// Colours the waveform painter's files share.
#pragma once

#include "views/curvegeom.h"

#include <QColor>
#include <QRgb>
#include <vector>

namespace nuv::curvepaint {

inline const QRgb kBackground = qRgb(0, 0, 0);
inline const QColor kSelectedBand(8, 16, 16);
inline const QColor kFrame1(120, 120, 120);
inline const QColor kFrame2(134, 134, 134);
inline const QColor kFrame3(220, 220, 220);
inline const QRgb kGridDot = qRgb(80, 80, 80);
inline const QColor kStartMarker(196, 128, 0);

// Calls dot(x, y) for each grid dot at `position`, the vertical lines' first; then
// line(index, y) after each horizontal line's dots.
template <class Dot, class Line>
void EachGridDot(const curve::Layout& L, int position, int extent, Dot&& dot, Line&& line)
{
    thread_local std::vector<int> offsets(curve::kMaxPlotWidth / curve::kGridSpacing + 4);
    const curve::Rect& r = L.plot;
    const int nv = curve::VerticalGridOffsets(L.plotWidth, position, extent, offsets.data(), int(offsets.size()));
    for (int i = 0; i < nv; ++i)
        for (int d = curve::kDotSpacing; d < L.plotHeight; d += curve::kDotSpacing)
            dot(r.left + offsets[size_t(i)], r.top + d);
    if (L.gridStep <= 0.0)
        return;
    const curve::Range1 run = curve::HorizontalDotRun(L.plotWidth, position, extent);
    for (int index = 1;; ++index) {
        const double y = index * L.gridStep;
        if (!(y < L.plotHeight))
            break;
        const int yy = r.top + int(y);
        for (int o = run.lo; o < run.hi; o += curve::kDotSpacing)
            dot(r.left + o, yy);
        line(index, yy);
    }
}

} // namespace nuv::curvepaint
