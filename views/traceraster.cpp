#include "views/traceraster.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace nuv::curve {

namespace {

// Direction of the last segment (a trace only goes right, up or down); a vertical
// reversal gets half a pixel more at its start.
enum Dir : int { kDown = 1, kUp = 2, kRight = 4, kVertical = kDown | kUp };

struct Pixel {
    int x = 0, y = 0;
    bool operator==(const Pixel& o) const { return x == o.x && y == o.y; }
};

struct Walk {
    const TraceTarget& t;
    uint32_t color;
    int drawFrom;              // segments left of this x draw nothing
    Pixel last{-1, -1};        // last pixel of the previous segment (x < 0: none)
    int dir = kRight;
    bool axisAligned = false;

    void Put(int x, int y) const
    {
        if (x < t.clipLeft || x > t.clipRight || y < t.clipTop || y > t.clipBottom)
            return;
        uint32_t& d = t.dst[qsizetype(y) * t.dstStride + x];
        d = (t.bg != nullptr ? t.bg[qsizetype(y) * t.bgStride + x] : d) | color;
    }

    // Rows y0 .. y1 - 1 (at least y0) of a steep run, column px >> 16 at each, bar row `skip`.
    // Walked in stretches of one column each, where the column stays until px crosses into
    // the next.
    void Column(int64_t px, int64_t inc, int y0, int y1, int skip) const
    {
        if (y1 <= y0)
            y1 = y0 + 1;
        int y = std::max(y0, t.clipTop);
        const int hi = std::min(y1 - 1, t.clipBottom);
        px += int64_t(y - y0) * inc;
        while (y <= hi) {
            const int x = int(px >> 16);
            // rows until px leaves column x
            int64_t rows = 0;
            if (inc > 0)
                rows = ((int64_t(x + 1) << 16) - px + inc - 1) / inc;
            else if (inc < 0)
                rows = (px - (int64_t(x) << 16)) / -inc + 1;
            else
                rows = hi - y + 1;
            const int end = int(std::min<int64_t>(hi, y + rows - 1));
            if (x >= t.clipLeft && x <= t.clipRight) {
                uint32_t* d = t.dst + qsizetype(y) * t.dstStride + x;
                if (t.bg == nullptr) {
                    for (int r = y; r <= end; ++r, d += t.dstStride)
                        if (r != skip)
                            *d |= color;
                } else {
                    const uint32_t* g = t.bg + qsizetype(y) * t.bgStride + x;
                    for (int r = y; r <= end; ++r, d += t.dstStride, g += t.bgStride)
                        if (r != skip)
                            *d = *g | color;
                }
            }
            px += int64_t(end - y + 1) * inc;
            y = end + 1;
        }
    }

    // True when the first pixel of a segment repeats the last one drawn.
    bool Repeats(const Pixel& first) const { return last.x >= 0 && first == last; }
    // True when a pixel is missing between the last segment and this one.
    bool Gap(const Pixel& first, int newDir, bool aligned) const
    {
        if (last.x < 0 || dir == newDir)
            return false;
        const int dx = std::abs(last.x - first.x), dy = std::abs(last.y - first.y);
        return (aligned && axisAligned && dx != 0 && dy != 0) || dx > 1 || dy > 1;
    }

    // From (x, a) to (x + 1, b), fixed point 26.6 for ends and 16.16 for the slope.
    void Segment(int x, int a, int b, bool capBegin, bool capEnd, bool skipEnd = false)
    {
        const bool draw = x + 1 >= drawFrom;
        const int d = b - a;
        if (d >= 2 || d <= -2) {
            // Steep: one pixel per row, walked downwards.
            const bool up = d < 0;
            const int newDir = up ? kUp : kDown;
            const int64_t inc = (up ? -65536 : 65536) / std::abs(d);
            int top = 64 * (up ? b : a), bottom = 64 * (up ? a : b);
            int64_t px = int64_t(up ? x + 1 : x) << 16;
            bool capTop = up ? capEnd : capBegin, capBottom = up ? capBegin : capEnd;
            if ((dir ^ kVertical) == newDir)
                (up ? capBottom : capTop) = true;
            if (capTop) {
                top -= 32;
                px -= inc >> 1;
            }
            if (capBottom)
                bottom += 32;
            int y = (top + 32) >> 6, ys = (bottom + 32) >> 6;
            px += (int64_t((y << 6) + (inc > 0 ? 32 : 0) - top) * inc) >> 6;
            Pixel first{int(px >> 16), y}, end{int((px + int64_t(ys - y - 1) * inc) >> 16), ys - 1};
            if (up)
                std::swap(first, end);
            const bool aligned = std::abs(inc) < (1 << 14);
            if (Repeats(first)) {
                if (up) {
                    --ys;
                } else {
                    ++y;
                    px += inc;
                }
            } else if (Gap(first, newDir, aligned)) {
                if (up) {
                    ++ys;
                } else {
                    --y;
                    px -= inc;
                }
            }
            dir = newDir;
            axisAligned = aligned;
            if (draw)
                Column(px, inc, y, ys, skipEnd ? b : INT_MIN);
            last = end;
            return;
        }
        // Flat: one pixel per column.
        const int64_t inc = int64_t(d) << 16;
        int left = 64 * x, right = 64 * (x + 1);
        int64_t py = int64_t(a) << 16;
        if (capBegin) {
            left -= 32;
            py -= inc >> 1;
        }
        if (capEnd)
            right += 32;
        int xx = (left + 32) >> 6, xs = (right + 32) >> 6;
        py += (int64_t((xx << 6) + (inc > 0 ? 32 : 0) - left) * inc) >> 6;
        const Pixel first{xx, int(py >> 16)}, end{xs - 1, int((py + int64_t(xs - xx - 1) * inc) >> 16)};
        const bool aligned = d == 0;
        if (Repeats(first)) {
            ++xx;
            py += inc;
        } else if (Gap(first, kRight, aligned)) {
            --xx;
            py -= inc;
        }
        dir = kRight;
        axisAligned = aligned;
        if (draw)
            do {
                Put(xx, int(py >> 16));
                py += inc;
            } while (++xx < xs);
        last = end;
    }
};

} // namespace

bool IsColumnTrace(const QPoint* pts, int n, int width, int height)
{
    if (n <= 0)
        return false;
    for (int i = 0; i < n; ++i) {
        const QPoint& p = pts[i];
        if (p.x() < 0 || p.y() < 0 || p.x() >= width || p.y() >= height)
            return false;
        if (i > 0 && p.x() != pts[i - 1].x() + 1)
            return false;
    }
    return true;
}

void RasterTrace(const QPoint* pts, int n, uint32_t color, const TraceTarget& t)
{
    if (n <= 0 || t.clipLeft > t.clipRight || t.clipTop > t.clipBottom)
        return;
    Walk w{t, color, t.clipLeft - 1};
    if (n == 1) {
        w.Put(pts[0].x(), pts[0].y());
        return;
    }
    // The state entering a segment depends on the one before only: start one early.
    int k = std::max(0, std::min(n - 2, t.clipLeft - 3 - pts[0].x()));
    for (; k < n - 1; ++k) {
        if (pts[k].x() > t.clipRight + 1)
            break;
        const bool end = k == n - 2;
        // A last segment rising two rows after a falling one ends a pixel short.
        const bool skipEnd = end && k > 0 && pts[k + 1].y() - pts[k].y() == -2 && pts[k].y() > pts[k - 1].y();
        w.Segment(pts[k].x(), pts[k].y(), pts[k + 1].y(), k == 0, end, skipEnd);
    }
}

} // namespace nuv::curve
