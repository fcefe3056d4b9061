// What the waveform painter's files share: colours, the walk over the grid's dots and the
// walk over the traces.
#pragma once

#include "views/curvegeom.h"
#include "views/curvepaint.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <algorithm>
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

// Calls draw(points, count, colour, clip) for each trace `s` shows, in drawing order: every
// strip clipped to its band (a little over it), or the enlarged channel clipped to the plot.
template <class Draw>
void EachTrace(const CurveScene& s, Draw&& draw)
{
    const curve::Rect& r = s.layout.plot;
    if (s.allStrips || !s.tiled) {
        const int half = s.inner / 2;
        for (int i = 0; i < s.strips; ++i) {
            const int c = int(s.geoms[i].centre);
            draw(s.points[i], s.pointCount[i], s.colors[i],
                 QRect(QPoint(r.left, c - half - curve::kBandClipExtra),
                       QPoint(r.right - 1, c + half + curve::kBandClipExtra - 1)));
        }
    } else if (s.strips > 0) {
        const int a = std::clamp(s.selected, 0, s.strips - 1);
        draw(s.enlarged, s.enlargedCount, s.colors[a], QRect(r.left, r.top, r.Width(), r.Height()));
    }
}

} // namespace nuv::curvepaint
