// Label texts and positions, grid positions and default colours of the waveform views.
#include "views/curvegeom.h"

#include "acquisition/aitypes.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <vector>

namespace nuv::curve {

namespace {

QString NamedStripText(int channelNo, double v, uint32_t code, bool history)
{
    const QString unit = RangeUnitText(code);
    if (history)
        return QString::asprintf("AI%d %.1f ", channelNo, v) + unit;
    return QString::asprintf("AI%d %4.1f ", channelNo, v) + unit;
}

QString EnlargedText(double v, uint32_t code, bool history)
{
    if (code <= 2)
        return QString::asprintf("%.1f mV", v);
    if (code == 7 || code == 8)
        return QString::asprintf("%.1f mA", v);
    if (code >= 9 && code <= 15)
        return QString::asprintf("%.1f ", v) + RangeUnitText(code);
    // 3-6 and anything unknown: volts
    return history ? QString::asprintf("%.3f V", v) : QString::asprintf("%.1f V", v);
}

} // namespace

int StripLabels(const Layout& lay, int strip, const Scale& s, int channelNo, bool history, Label* out, int capacity)
{
    const int x = lay.plot.left - 4;
    if (capacity < 1)
        return 0;
    if (lay.stripHeight <= 25.0) {
        out[0].text = QString::asprintf("AI%d", channelNo);
        out[0].x = x;
        out[0].rank = kRankName;
        out[0].group = strip;
        out[0].y = int(lay.plot.top + strip * lay.stripHeight + 0.8 * lay.stripHeight);
        return 1;
    }
    const int n = lay.divisions;
    const double step = s.span / n;
    double v = s.upper;
    int count = 0;
    for (int e = 0; e <= n && count < capacity; ++e) {
        Label& l = out[count++];
        if (e == n / 2)
            l.text = NamedStripText(channelNo, v, s.rangeCode, history);
        else
            l.text = QString::asprintf("%.1f ", v) + RangeUnitText(s.rangeCode);
        l.rank = e == n / 2 ? kRankName : (e == 0 ? kRankTop : (e == n ? kRankBottom : kRankOther));
        l.group = strip;
        const int base = int(lay.plot.top + strip * lay.stripHeight + e * lay.gridStep);
        l.x = x;
        if (e == n)
            l.y = base - 1;
        else if (e == 0 && strip > 0)
            l.y = base + 11;
        else
            l.y = base + 3;
        v -= step;
    }
    return count;
}

int EnlargedLabels(const Layout& lay, const Scale& s, int channelNo, bool history, Label* out, int capacity)
{
    if (lay.gridStep <= 0.0)
        return 0;
    const int m = int(lay.plotHeight / lay.gridStep);
    const double step = s.span / m;
    int count = 0;
    for (int k = 0; k <= m && count < capacity; ++k) {
        Label& l = out[count++];
        l.text = EnlargedText(s.upper - k * step, s.rangeCode, history);
        l.x = lay.plot.left - kLabelGap;
        l.rank = k == 0 ? kRankTop : (k == m ? kRankBottom : kRankOther);
        l.y = int(lay.plot.top + k * lay.gridStep) + 3;
    }
    if (count < capacity) {
        Label& l = out[count++];
        l.text = QString::asprintf("AI %d", channelNo);
        l.rank = kRankName;
        l.x = lay.plot.left + 50;
        l.y = lay.plot.top + 15;
    }
    return count;
}

int IndexLabels(const Layout& lay, int position, int extent, bool history, Label* out, int capacity)
{
    return AxisLabels(
        lay, position, extent, QStringLiteral("Index"), QStringLiteral("0"),
        [history](int64_t v) {
            return history ? QString::asprintf("%-4.2f", double(v)) : QString::asprintf("%-4.0f", double(v));
        },
        out, capacity);
}

int AxisLabels(const Layout& lay, int position, int extent, const QString& caption, const QString& zero,
               const std::function<QString(int64_t)>& text, Label* out, int capacity)
{
    int count = 0;
    auto add = [&](QString t, int x) {
        if (count < capacity) {
            out[count].text = std::move(t);
            out[count].x = x;
            out[count].y = lay.plot.bottom + 5;
            ++count;
        }
    };
    add(caption, lay.plot.left - 35);
    if (position == 0)
        add(zero, lay.plot.left - 4);
    const int rest = position % kGridSpacing;
    int64_t v = int64_t(position) - rest + kGridSpacing;
    int x = lay.plot.left + kGridSpacing - rest;
    const int most = lay.plotWidth / kGridSpacing + 1;
    for (int i = 0; i < most && v <= extent; ++i) {
        if (x < lay.plot.right - 5)
            add(text(v), x);
        v += kGridSpacing;
        x += kGridSpacing;
    }
    return count;
}

int LabelColumnLeft(const Layout& lay, int strips, const Scale* scales, const int* channelNo, bool history,
                    const TextWidth& width)
{
    std::vector<Label> buf(kMaxStrips * 8 + 16);
    int widest = 0;
    for (int i = 0; i < strips && i < kMaxStrips; ++i) {
        int n = StripLabels(lay, i, scales[i], channelNo[i], history, buf.data(), int(buf.size()));
        for (int k = 0; k < n; ++k)
            widest = std::max(widest, width(buf[k].text));
        n = EnlargedLabels(lay, scales[i], channelNo[i], history, buf.data(), int(buf.size()));
        for (int k = 0; k + 1 < n; ++k)   // the last one is the name inside the plot
            widest = std::max(widest, width(buf[k].text));
    }
    return std::max(kPlotLeft, widest + kLabelGap + kLabelMargin);
}

int KeepReadableLabels(Label* labels, int count, int ascent, int descent, int top, int bottom)
{
    if (count <= 0)
        return 0;
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return labels[a].rank < labels[b].rank; });
    std::vector<char> keep(static_cast<size_t>(count), 0);
    std::vector<int> kept;
    kept.reserve(size_t(count));
    for (const int i : order) {
        const Label& l = labels[i];
        const int t = l.y - ascent, b = l.y + descent;
        if (t < top || b > bottom)
            continue;
        bool clear = true;
        for (const int j : kept) {
            const Label& o = labels[j];
            if (o.x == l.x && t < o.y + descent && o.y - ascent < b) {
                clear = false;
                break;
            }
        }
        if (clear) {
            keep[size_t(i)] = 1;
            kept.push_back(i);
        }
    }
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (keep[size_t(i)]) {
            if (n != i)
                labels[n] = std::move(labels[i]);
            ++n;
        }
    return n;
}

int KeepSpacedIndexLabels(Label* labels, int count, const TextWidth& width, int right)
{
    int n = 0;
    int64_t prevEnd = INT_MIN;
    for (int i = 0; i < count; ++i) {
        const int w = width(labels[i].text.trimmed());   // "%-4.0f" pads with blanks
        if (labels[i].x < prevEnd + kIndexLabelGap || labels[i].x + w > right)
            continue;
        prevEnd = int64_t(labels[i].x) + w;
        if (n != i)
            labels[n] = std::move(labels[i]);
        ++n;
    }
    return n;
}

bool StartMarkerVisible(const Layout& lay, int position)
{
    const int64_t x = int64_t(lay.plot.left) - position;
    return x >= lay.plot.left && x <= lay.plot.right;
}

int VerticalGridOffsets(int plotWidth, int position, int extent, int* out, int capacity)
{
    int count = 0;
    int o = kGridSpacing - position % kGridSpacing;
    while (o < plotWidth && count < capacity) {
        out[count++] = o;
        o += kGridSpacing;
        if (int64_t(extent) < int64_t(position) + o)
            break;
    }
    return count;
}

Range1 HorizontalDotRun(int plotWidth, int position, int extent)
{
    Range1 r;
    r.lo = kDotSpacing - position % kDotSpacing;
    // last offset o with o < plot width and position + o + 5 <= extent
    int64_t end = plotWidth;
    const int64_t byExtent = int64_t(extent) - position - kDotSpacing + 1;
    if (byExtent < end)
        end = byExtent;
    r.hi = int(end < r.lo ? r.lo : end);   // exclusive end
    return r;
}

uint32_t DefaultTraceRgb(int c)
{
    static const uint32_t first[4] = {0xFF10FF00u, 0xFFFFFF10u, 0xFFFB04C8u, 0xFFFFC0C0u};
    if (c >= 0 && c < 4)
        return first[c];
    const uint32_t r = uint32_t(245 - 15 * c) & 0xFF, g = uint32_t(15 * c) & 0xFF, b = uint32_t(20 * c) & 0xFF;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

uint32_t DefaultCursorRgb(int cursor)
{
    static const uint32_t colors[3] = {0xFFFF0000u, 0xFFFFFFFFu, 0xFFFFFF80u};
    return cursor >= 0 && cursor < 3 ? colors[cursor] : colors[0];
}

} // namespace nuv::curve
