#include "views/curvegeom.h"

#include "acquisition/aitypes.h"

#include <cmath>
#include <cstdlib>

namespace nuv::curve {

int DivisionCount(double h)
{
    if (h >= 120.0)
        return 8;
    if (h >= 60.0)
        return 4;
    if (h > 40.0)
        return 2;
    return 1;
}

Layout ComputeLayout(int clientWidth, int clientHeight, int strips, int plotLeft)
{
    if (strips < 1)
        strips = 1;
    Layout l;
    l.client = Rect{0, 0, clientWidth, clientHeight};
    l.plot = Rect{plotLeft, kPlotTop, clientWidth - kPlotRightGap, clientHeight - kPlotBottomGap};
    l.plotHeight = l.plot.bottom - l.plot.top;
    l.stripHeight = l.plotHeight / double(strips);
    l.divisions = DivisionCount(l.stripHeight);
    l.gridStep = l.plotHeight / (l.divisions * double(strips));
    l.plotWidth = l.plot.right - l.plot.left;
    if (l.plotWidth < 1)
        l.plotWidth = 1;
    return l;
}

Scale ScaleFromRange(uint32_t rangeCode, const RangeInfo& info)
{
    Scale s;
    s.rangeCode = rangeCode;
    s.upper = info.RangeMax;
    s.lower = info.RangeMin;
    s.span = info.RangeSpan;
    s.step = info.CodeStep;
    return s;
}

int InnerHeight(int plotHeight, int strips)
{
    if (strips < 1)
        strips = 1;
    return plotHeight / strips - kStripMargin;
}

bool ComputeStripGeometry(const Layout& lay, int strips, const Scale* scales, StripGeom* out)
{
    if (lay.plotHeight <= 0 || strips < 1)
        return false;
    const int inner = InnerHeight(lay.plotHeight, strips);
    const uint32_t h = uint32_t(lay.plotHeight);
    for (int i = 0; i < strips; ++i) {
        out[i].scale = scales[i].span / inner;
        out[i].centre = double(uint32_t(lay.plot.top) + h * uint32_t(2 * i + 1) / uint32_t(2 * strips));
        out[i].base = out[i].centre + inner / 2;
    }
    return true;
}

namespace {

// Truncated pixel offset of `value` at `scale` units per pixel, if it is a usable number.
inline bool Offset(double value, double scale, int* off)
{
    const double q = value / scale;
    if (!(q > -kCoordLimit && q < kCoordLimit))   // also rejects NaN and infinities
        return false;
    *off = int(q);   // truncation toward zero
    return true;
}

inline bool UsableScale(double s) { return s != 0.0 && std::isfinite(s); }

} // namespace

bool StripY(const Scale& s, const StripGeom& g, int inner, uint16_t code, int* y)
{
    if (inner <= 0 || !UsableScale(g.scale))
        return false;
    int off = 0;
    if (IsCentred(s.rangeCode)) {
        if (!Offset(s.lower + double(code) * s.step, g.scale, &off))
            return false;
        *y = int(g.centre) - off;
    } else {
        if (!Offset(double(code) * s.step, g.scale, &off))
            return false;
        *y = int(g.base) - off;
    }
    return true;
}

bool EnlargedY(const Scale& s, const Layout& lay, bool history, uint16_t code, int* y)
{
    const double scale = s.span / (lay.plotHeight - 2);
    if (lay.plotHeight - 2 <= 0 || !UsableScale(scale))
        return false;
    int off = 0;
    if (IsCentred(s.rangeCode)) {
        if (!Offset(double(code) * s.step + s.lower, scale, &off))
            return false;
        *y = (lay.plot.top + lay.plot.bottom) / 2 - off + (history ? 1 : 0);
    } else {
        if (!Offset(double(code) * s.step, scale, &off))
            return false;
        *y = (lay.plot.bottom - 1) - off;
    }
    return true;
}

int StripPoints(const uint16_t* codes, int count, int x0, const Scale& s, const StripGeom& g, int inner,
                QPoint* out, int capacity)
{
    if (count > capacity)
        count = capacity;
    if (count <= 0 || inner <= 0 || !UsableScale(g.scale))
        return 0;
    int n = 0;
    for (int j = 0; j < count; ++j) {
        int y;
        if (StripY(s, g, inner, codes[j], &y))
            out[n++] = QPoint(x0 + j, y);
    }
    return n;
}

int EnlargedPoints(const uint16_t* codes, int count, int x0, const Scale& s, const Layout& lay, bool history,
                   QPoint* out, int capacity)
{
    if (count > capacity)
        count = capacity;
    if (count <= 0 || lay.plotHeight - 2 <= 0 || !UsableScale(s.span / (lay.plotHeight - 2)))
        return 0;
    int n = 0;
    for (int j = 0; j < count; ++j) {
        int y;
        if (EnlargedY(s, lay, history, codes[j], &y))
            out[n++] = QPoint(x0 + j, y);
    }
    return n;
}

int VisibleCount(int plotWidth, int position, int maxPosition, int capacity)
{
    int64_t n = int64_t(plotWidth) + 1;
    if (int64_t(maxPosition) < int64_t(position) + n) {
        n = int64_t(maxPosition) - position;
        if (n > kMaxWindow)
            n = kMaxWindow;
    }
    if (n > capacity)
        n = capacity;
    if (n < 0)
        n = 0;
    return int(n);
}

int PressDragMode(int x, int x1, int x2)
{
    int mode = kDragPan;
    if (std::abs(x - x1) < kCursorTolerance)
        mode = kDragCursor1;
    if (std::abs(x - x2) < kCursorTolerance)
        mode = kDragCursor2;
    return mode;
}

bool PairHit(int x, int x1, int x2) { return std::abs(x - x1) + std::abs(x - x2) == std::abs(x1 - x2); }

Range1 CursorConfine(const Rect& plot) { return Range1{plot.left, plot.right - 1}; }

Range1 PairConfine(const Rect& plot, int pressX, int x1, int x2)
{
    const int lo = x1 < x2 ? x1 : x2;
    const int hi = x1 < x2 ? x2 : x1;
    Range1 r{plot.left + (pressX - lo), plot.right - 1 + (pressX - hi)};
    if (r.hi < r.lo)   // the pair is wider than the plot: it cannot move
        r.hi = r.lo = pressX;
    return r;
}

int MoveShape(bool inPlot, bool buttonDown, bool pairDrag, int currentShape, int x, int x1, int x2)
{
    if (!inPlot || buttonDown)
        return kShapeArrow;
    int shape = pairDrag ? currentShape : int(kShapeHand);
    if (std::abs(x - x1) < kCursorTolerance || std::abs(x - x2) < kCursorTolerance)
        shape = kShapeResize;
    return shape;
}

namespace {
inline int ClampPos(int64_t v, int maxPosition)
{
    if (v > maxPosition)
        v = maxPosition;
    if (v < 0)
        v = 0;
    return int(v);
}
inline int AtLeast0(int64_t v) { return v < 0 ? 0 : int(v); }
inline int AtMost(int64_t v, int maxPosition) { return v > maxPosition ? maxPosition : int(v); }
} // namespace

int ScrollTarget(ScrollRequest r, int position, int page, int track, int maxPosition)
{
    switch (r) {
    case ScrollRequest::LineLeft: return AtLeast0(int64_t(position) - 1);
    case ScrollRequest::LineRight: return AtMost(int64_t(position) + 1, maxPosition);
    case ScrollRequest::PageLeft: return AtLeast0(int64_t(position) - page);
    case ScrollRequest::PageRight: return AtMost(int64_t(position) + page, maxPosition);
    case ScrollRequest::ThumbTrack: return track;
    case ScrollRequest::Other: break;
    }
    return position;
}

int KeyTarget(ScrollKey k, int position, int page, int maxPosition)
{
    switch (k) {
    case ScrollKey::PageUp: return AtLeast0(int64_t(position) - page);
    case ScrollKey::PageDown: return AtMost(int64_t(position) + page, maxPosition);
    case ScrollKey::End: return maxPosition;
    case ScrollKey::Home: return 0;
    case ScrollKey::Left: return AtLeast0(int64_t(position) - 1);
    case ScrollKey::Right: return AtMost(int64_t(position) + 1, maxPosition);
    case ScrollKey::Other: break;
    }
    return position;
}

int WheelTarget(int position, int delta, bool ctrl, int maxPosition)
{
    if (ctrl)
        return position;
    if (delta <= 0)
        return AtMost(int64_t(position) + kWheelStep, maxPosition);
    return AtLeast0(int64_t(position) - kWheelStep);
}

int PanTarget(int position, int lastX, int x, int maxPosition)
{
    return ClampPos(int64_t(position) + lastX - x, maxPosition);
}

int HitStrip(int y, const StripGeom* g, int strips, int plotHeight)
{
    if (strips < 1)
        return -1;
    const int half = plotHeight / (2 * strips);
    for (int i = 0; i < strips; ++i)
        if (std::fabs(y - g[i].centre) < half)
            return i;
    return -1;
}

DblClick DoubleClick(bool tiled, bool inPlot, bool allStrips, int selected, int y, const StripGeom* g, int strips,
                     int plotHeight)
{
    DblClick r;
    r.allStrips = allStrips;
    r.selected = selected;
    if (!tiled || !inPlot)
        return r;
    if (!allStrips) {
        r.acted = true;
        r.allStrips = true;
        r.redraw = true;
        return r;
    }
    const int i = HitStrip(y, g, strips, plotHeight);
    if (i < 0)
        return r;
    r.acted = true;
    if (i == selected) {
        r.allStrips = false;
        r.redraw = true;
    }
    r.selected = i;
    r.publish = true;
    return r;
}

} // namespace nuv::curve
