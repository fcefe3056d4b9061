// The waveform painter's quick way: when the background must be drawn again and when a
// scroll only moves its grid and index axis, and the composition of background, traces and
// cursor lines straight into the window's pixels.
#include "views/curvepaint.h"
#include "views/curvepaint_p.h"
#include "views/traceraster.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace nuv {

using namespace curvepaint;

void CCurvePainter::BackgroundKey(const CurveScene& s, std::vector<uint64_t>& key)
{
    // Everything the background is drawn from, field by field.
    key.clear();
    auto add = [&key](auto v) {
        if constexpr (std::is_floating_point_v<decltype(v)>) {
            uint64_t bits = 0;
            const double d = v;
            std::memcpy(&bits, &d, sizeof bits);
            key.push_back(bits);
        } else {
            key.push_back(uint64_t(int64_t(v)));
        }
    };
    const curve::Layout& L = s.layout;
    for (const curve::Rect& r : {L.client, L.plot}) {
        add(r.left);
        add(r.top);
        add(r.right);
        add(r.bottom);
    }
    add(L.plotWidth);
    add(L.plotHeight);
    add(L.stripHeight);
    add(L.divisions);
    add(L.gridStep);
    add(s.strips);
    add(s.inner);
    add(s.history);
    add(s.tiled);
    add(s.allStrips);
    add(s.selected);
    add(s.extent);
    add(s.bandWidth);
    add(s.periodMs);
    auto addFit = [&](const measure::FittedScale& f) {
        add(f.fitted);
        add(f.lower);
        add(f.upper);
        add(f.step);
        add(f.divisions);
        add(f.decimals);
    };
    addFit(s.fittedEnlarged);
    add(s.fitted != nullptr);
    for (int i = 0; i < s.strips && i < curve::kMaxStrips; ++i) {
        const curve::Scale& sc = s.scales[i];
        add(sc.rangeCode);
        add(sc.upper);
        add(sc.lower);
        add(sc.span);
        add(sc.step);
        add(s.geoms[i].scale);
        add(s.geoms[i].centre);
        add(s.geoms[i].base);
        add(s.channelNo[i]);
        add(s.colors[i]);
        if (s.fitted != nullptr)
            addFit(s.fitted[i]);
    }
    // What moves with a scroll comes last (see CanMoveBackground).
    add(s.position);
    add(s.timeOrigin);
}

bool CCurvePainter::CanMoveBackground(const CurveScene& s) const
{
    // Only the grid and the index axis differ: the rest of the layer can stay where it is.
    const size_t moving = 2;
    if (m_dpr != 1.0 || !s.allStrips || !m_indexStripClear || !m_bFrameEdges || m_bgKey.size() != m_keyScratch.size() ||
        m_bgKey.size() < moving ||
        !std::equal(m_bgKey.begin(), m_bgKey.end() - moving, m_keyScratch.begin()))
        return false;
    return !curve::StartMarkerVisible(s.layout, s.position) && !curve::StartMarkerVisible(s.layout, m_bgPosition);
}

void CCurvePainter::MoveBackground(const CurveScene& s)
{
    // The old grid's dots back to the band or black under them, the frame's edges as they
    // were, then the grid (its separators over it again) and the index axis at the new
    // position: what a whole redraw leaves, in the order it draws.
    const curve::Layout& L = s.layout;
    const QRect plot = QRect(L.plot.left, L.plot.top, L.plot.Width(), L.plot.Height()) & m_bg.rect();
    const QRect band = SelectedBand(s) & plot;
    const QRgb bandRgb = kSelectedBand.rgb();
    auto* pixels = reinterpret_cast<QRgb*>(m_bg.bits());
    const qsizetype stride = m_bg.bytesPerLine() / 4;
    EachGridDot(
        L, m_bgPosition, s.extent,
        [&, px0 = plot.left(), px1 = plot.right(), py0 = plot.top(), py1 = plot.bottom(), bx0 = band.left(),
         bx1 = band.right(), by0 = band.top(), by1 = band.bottom()](int x, int y) {
            if (x < px0 || x > px1 || y < py0 || y > py1)
                return;
            const bool inBand = x >= bx0 && x <= bx1 && y >= by0 && y <= by1;
            pixels[y * stride + x] = inBand ? bandRgb : kBackground;
        },
        [](int, int) {});
    const QRect axis = IndexStrip(L) & m_bg.rect();
    for (int y = axis.top(); y <= axis.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_bg.scanLine(y));
        std::fill(line + axis.left(), line + axis.left() + axis.width(), kBackground);
    }
    RestoreFrameEdges(L.plot);
    QPainter p(&m_bg);
    DrawGrid(p, s);
    p.setFont(m_font);
    DrawIndexLabels(p, s, QFontMetrics(m_font, &m_bg), axis.left());
}

bool CCurvePainter::BackgroundCurrent(const CurveScene& scene) const
{
    if (m_bg.isNull() || m_bgKey.empty())
        return false;
    if (m_bg.size() != LayerSize(scene, m_dpr))
        return false;
    BackgroundKey(scene, m_keyScratch);
    return m_keyScratch == m_bgKey;
}

// The plot's outer rows and columns the frame's pens reach into, as they are before the
// grid: a scroll puts them back instead of drawing the frame again.
void CCurvePainter::FrameEdges(const curve::Rect& r, QRect* edges)
{
    edges[0] = QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.top + 1));
    edges[1] = QRect(QPoint(r.left, r.bottom - 1), QPoint(r.right - 1, r.bottom - 1));
    edges[2] = QRect(QPoint(r.left, r.top), QPoint(r.left, r.bottom - 1));
    edges[3] = QRect(QPoint(r.right - 1, r.top), QPoint(r.right - 1, r.bottom - 1));
}

void CCurvePainter::KeepFrameEdges(const curve::Rect& r)
{
    QRect edges[4];
    FrameEdges(r, edges);
    m_frameEdges.clear();
    m_bFrameEdges = m_dpr == 1.0;
    if (!m_bFrameEdges)
        return;
    for (const QRect& e : edges) {
        const QRect c = e & m_bg.rect();
        for (int y = c.top(); y <= c.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(m_bg.constScanLine(y));
            m_frameEdges.insert(m_frameEdges.end(), line + c.left(), line + c.left() + c.width());
        }
    }
}

void CCurvePainter::RestoreFrameEdges(const curve::Rect& r)
{
    QRect edges[4];
    FrameEdges(r, edges);
    size_t at = 0;
    for (const QRect& e : edges) {
        const QRect c = e & m_bg.rect();
        for (int y = c.top(); y <= c.bottom() && at + size_t(c.width()) <= m_frameEdges.size(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_bg.scanLine(y));
            std::copy(m_frameEdges.begin() + qsizetype(at), m_frameEdges.begin() + qsizetype(at + size_t(c.width())),
                      line + c.left());
            at += size_t(c.width());
        }
    }
}

bool CCurvePainter::TracesRasterizable(const CurveScene& s) const
{
    bool all = true;
    EachTrace(s, [&](const QPoint* pts, int n, QRgb, const QRect&) {
        all = all && (n <= 0 || curve::IsColumnTrace(pts, n, m_bg.width(), m_bg.height()));
    });
    return all;
}

bool CCurvePainter::PaintComposed(QPainter& target, const CurveScene& s, const QRegion& region)
{
    if (region.isEmpty())
        return true;
    const QRect bounds = region.boundingRect();
    // The window's own pixels when the painter writes into an image at whole-pixel offsets;
    // a layer of ours copied there otherwise.
    QImage* device = nullptr;
    QPoint offset;
    if (QPaintEngine* engine = target.paintEngine(); engine != nullptr && engine->paintDevice() != nullptr &&
                                                      engine->paintDevice()->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(engine->paintDevice());
        const QTransform t = target.deviceTransform();
        offset = QPoint(int(t.dx()), int(t.dy()));
        const bool formatOk = image->format() == QImage::Format_RGB32 ||
                              image->format() == QImage::Format_ARGB32_Premultiplied;
        if (formatOk && t.type() <= QTransform::TxTranslate && t.dx() == offset.x() && t.dy() == offset.y() &&
            offset.x() >= 0 && offset.y() >= 0 &&
            image->devicePixelRatio() == 1.0 && image->rect().contains(bounds.translated(offset)))
            device = image;
    }
    uchar* bits = nullptr;
    qsizetype stride = 0;
    if (device != nullptr) {
        // Read-only access keeps the image from detaching under the painter.
        bits = const_cast<uchar*>(std::as_const(*device).constBits());
        stride = device->bytesPerLine() / 4;
    } else {
        if (m_composed.size() != m_bg.size())
            m_composed = QImage(m_bg.size(), QImage::Format_RGB32);
        bits = m_composed.bits();
        stride = m_composed.bytesPerLine() / 4;
        offset = QPoint();
    }
    uint32_t* origin = reinterpret_cast<uint32_t*>(bits) + offset.y() * stride + offset.x();
    const qsizetype bgStride = m_bg.bytesPerLine() / 4;
    const auto* bg = reinterpret_cast<const uint32_t*>(m_bg.constBits());
    curve::TraceTarget t;
    t.dst = origin;
    t.dstStride = stride;
    t.bg = bg;
    t.bgStride = bgStride;
    t.width = m_bg.width();
    t.height = m_bg.height();
    const curve::Rect& r = s.layout.plot;
    // Only the region is written: what lies outside it may belong to other widgets.
    for (const QRect& area : region) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::memcpy(origin + y * stride + area.left(), bg + y * bgStride + area.left(), size_t(area.width()) * 4);
        QRect drawn;   // where traces went: a later one crossing it must not OR onto them
        EachTrace(s, [&](const QPoint* pts, int n, QRgb color, const QRect& clip) {
            const QRect c = clip & area;
            if (n <= 0 || c.isEmpty())
                return;
            t.bg = c.intersects(drawn) ? bg : nullptr;
            drawn |= c;
            t.clipLeft = c.left();
            t.clipTop = c.top();
            t.clipRight = c.right();
            t.clipBottom = c.bottom();
            curve::RasterTrace(pts, n, color | 0xFF000000u, t);
        });
    }
    // The dotted cursor lines, XORed pixel by pixel as the paint engine would XOR them.
    for (int k = 0; k < s.cursorCount && k < 2; ++k) {
        const int x = s.cursorX[k];
        const std::vector<uint32_t>& xors = CursorXors(k, r.top, r.bottom, s.cursorColor[k]);
        for (const QRect& area : region) {
            if (x < area.left() || x > area.right())
                continue;
            const int y0 = std::max(area.top(), 0), y1 = std::min(area.bottom(), int(xors.size()) - 1);
            for (int y = y0; y <= y1; ++y)
                origin[y * stride + x] ^= xors[size_t(y)];
        }
    }
    if (device == nullptr) {
        target.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& area : region)
            target.drawImage(area.topLeft(), m_composed, area);
    }
    return true;
}

const std::vector<uint32_t>& CCurvePainter::CursorXors(int k, int top, int bottom, QRgb color)
{
    CursorPattern& c = m_cursorPattern[k];
    if (c.top == top && c.bottom == bottom && c.color == color)
        return c.xors;
    // The engine's own dots, taken once from a line drawn on black.
    c.top = top;
    c.bottom = bottom;
    c.color = color;
    const int h = std::max(bottom + 1, 1);
    QImage scratch(1, h, QImage::Format_RGB32);
    scratch.fill(kBackground);
    {
        QPainter p(&scratch);
        CurveScene one;
        one.layout.plot.top = top;
        one.layout.plot.bottom = bottom;
        one.cursorCount = 1;
        one.cursorX[0] = 0;
        one.cursorColor[0] = color;
        DrawCursors(p, one);
    }
    c.xors.assign(size_t(h), 0u);
    for (int y = 0; y < h; ++y)
        c.xors[size_t(y)] = reinterpret_cast<const QRgb*>(scratch.constScanLine(y))[0] ^ kBackground;
    return c.xors;
}

} // namespace nuv
