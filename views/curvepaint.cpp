#include "views/curvepaint.h"

#include "views/traceraster.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace nuv {

namespace {

const QRgb kBackground = qRgb(0, 0, 0);
const QColor kSelectedBand(8, 16, 16);
const QColor kFrame1(120, 120, 120);
const QColor kFrame2(134, 134, 134);
const QColor kFrame3(220, 220, 220);
const QRgb kGridDot = qRgb(80, 80, 80);
const QColor kStartMarker(196, 128, 0);

thread_local std::vector<curve::Label> t_labels(256);
thread_local std::vector<int> t_gridOffsets(curve::kMaxPlotWidth / curve::kGridSpacing + 4);

} // namespace

CCurvePainter::CCurvePainter() : m_font(LabelFont()), m_metrics(m_font) {}

QFont CCurvePainter::LabelFont()
{
    // Height 14 is the character cell: ascent and descent together take 14 pixels, so the
    // em is smaller. The largest pixel size whose cell fits is taken.
    static const QFont font = [] {
        QFont f(QStringLiteral("Arial"));
        f.setWeight(QFont::Light);
        f.setStyleHint(QFont::SansSerif);
        for (int px = kLabelCellHeight; px > 4; --px) {
            f.setPixelSize(px);
            const QFontMetrics fm(f);
            if (fm.ascent() + fm.descent() <= kLabelCellHeight)
                break;
        }
        return f;
    }();
    return font;
}

int CCurvePainter::TextWidth(const QString& text) const
{
    // The same few dozen label texts are measured on every redraw.
    auto it = m_widthCache.constFind(text);
    if (it != m_widthCache.constEnd())
        return *it;
    if (m_widthCache.size() > 1024)
        m_widthCache.clear();
    const int w = m_metrics.horizontalAdvance(text);
    m_widthCache.insert(text, w);
    return w;
}

void CCurvePainter::DrawText(QPainter& p, const QFontMetrics& fm, int x, int baseline, const QString& text,
                             bool rightAligned)
{
    auto it = m_textCache.find(text);
    if (it == m_textCache.end()) {
        if (m_textCache.size() > 1024)
            m_textCache.clear();
        CachedText c;
        c.text.setText(text);
        c.text.setTextFormat(Qt::PlainText);
        c.text.setPerformanceHint(QStaticText::AggressiveCaching);
        c.text.prepare(QTransform(), m_font);
        c.width = fm.horizontalAdvance(text);
        it = m_textCache.insert(text, c);
    }
    p.drawStaticText(QPoint(rightAligned ? x - it->width : x, baseline - fm.ascent()), it->text);
}

void CCurvePainter::DropLayers()
{
    m_bg = QImage();
    m_trace = QImage();
    m_traceDirty = QRect();
}

bool CCurvePainter::EnsureLayers(const CurveScene& scene, qreal dpr)
{
    const QSize logical(std::max(scene.layout.client.Width(), 1), std::max(scene.layout.client.Height(), 1));
    const QSize device(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
    if (!m_bg.isNull() && m_bg.size() == device && m_dpr == dpr)
        return false;
    m_dpr = dpr;
    m_bg = QImage(device, QImage::Format_RGB32);
    m_bg.setDevicePixelRatio(dpr);
    // The other layers follow when a paint needs them.
    m_trace = QImage();
    m_traceDirty = QRect();
    m_composed = QImage();
    m_bgKey.clear();
    return true;
}

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
    // The plot's inside back to its band and black with the frame's edges as they were,
    // then the grid and the index axis at the new position: in the order a whole redraw
    // draws them.
    const curve::Layout& L = s.layout;
    const QRect plot = QRect(L.plot.left, L.plot.top, L.plot.Width(), L.plot.Height()) & m_bg.rect();
    const QRect band = SelectedBand(s) & plot;
    const QRgb bandRgb = kSelectedBand.rgb();
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_bg.scanLine(y));
        std::fill(line + plot.left(), line + plot.left() + plot.width(), kBackground);
        if (y >= band.top() && y <= band.bottom())
            std::fill(line + band.left(), line + band.left() + band.width(), bandRgb);
    }
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
    const QSize logical(std::max(scene.layout.client.Width(), 1), std::max(scene.layout.client.Height(), 1));
    if (m_bg.size() != QSize(int(std::ceil(logical.width() * m_dpr)), int(std::ceil(logical.height() * m_dpr))))
        return false;
    BackgroundKey(scene, m_keyScratch);
    return m_keyScratch == m_bgKey;
}

void CCurvePainter::Dot(int x, int y, QRgb c)
{
    if (m_vector != nullptr) {
        m_vector->fillRect(QRect(x, y, 1, 1), QColor::fromRgb(c));
        return;
    }
    if (m_dpr == 1.0) {
        // The layer is ours alone: no detach check per dot.
        if (x >= 0 && y >= 0 && x < m_bg.width() && y < m_bg.height())
            reinterpret_cast<QRgb*>(const_cast<uchar*>(std::as_const(m_bg).constScanLine(y)))[x] = c;
        return;
    }
    const int x0 = int(std::floor(x * m_dpr)), x1 = std::max(int(std::floor((x + 1) * m_dpr)), x0 + 1);
    const int y0 = int(std::floor(y * m_dpr)), y1 = std::max(int(std::floor((y + 1) * m_dpr)), y0 + 1);
    for (int yy = std::max(y0, 0); yy < std::min(y1, m_bg.height()); ++yy) {
        QRgb* line = reinterpret_cast<QRgb*>(m_bg.scanLine(yy));
        for (int xx = std::max(x0, 0); xx < std::min(x1, m_bg.width()); ++xx)
            line[xx] = c;
    }
}

void CCurvePainter::DrawGrid(QPainter& p, const CurveScene& s)
{
    const curve::Layout& L = s.layout;
    const curve::Rect& r = L.plot;
    const int nv = curve::VerticalGridOffsets(L.plotWidth, s.position, s.extent, t_gridOffsets.data(),
                                              int(t_gridOffsets.size()));
    // On the screen's layer the dots go straight into its pixels.
    QRgb* pixels = m_vector == nullptr && m_dpr == 1.0
                       ? reinterpret_cast<QRgb*>(const_cast<uchar*>(std::as_const(m_bg).constBits()))
                       : nullptr;
    const qsizetype stride = m_bg.bytesPerLine() / 4;
    const int w = m_bg.width(), h = m_bg.height();
    auto dot = [&](int x, int y) {
        if (pixels == nullptr)
            Dot(x, y, kGridDot);
        else if (x >= 0 && y >= 0 && x < w && y < h)
            pixels[y * stride + x] = kGridDot;
    };
    for (int i = 0; i < nv; ++i)
        for (int d = curve::kDotSpacing; d < L.plotHeight; d += curve::kDotSpacing)
            dot(r.left + t_gridOffsets[i], r.top + d);

    if (L.gridStep <= 0.0)
        return;
    const curve::Range1 run = curve::HorizontalDotRun(L.plotWidth, s.position, s.extent);
    const bool separators = s.tiled && s.allStrips && s.strips <= curve::kMaxStrips;
    QPen sep4(kFrame1, 4), sep2(kFrame2, 2);
    for (int line = 1;; ++line) {
        const double y = line * L.gridStep;
        if (!(y < L.plotHeight))
            break;
        const int yy = r.top + int(y);
        for (int o = run.lo; o < run.hi; o += curve::kDotSpacing)
            dot(r.left + o, yy);
        if (separators && line % L.divisions == 0) {
            p.setPen(sep4);
            p.drawLine(r.left, yy, r.right, yy);
            p.setPen(sep2);
            p.drawLine(r.left, yy, r.right, yy);
        }
    }
}

void CCurvePainter::DrawLabels(QPainter& p, const CurveScene& s)
{
    const curve::Layout& L = s.layout;
    const QFontMetrics fm(m_font, m_vector != nullptr ? m_vector->device() : static_cast<QPaintDevice*>(&m_bg));
    p.setFont(m_font);
    curve::Label* labels = t_labels.data();
    const int cap = int(t_labels.size());

    // Value labels of every strip first, then those that fit whole and clear of their
    // neighbours are drawn, each in its strip's colour.
    int n = 0;
    if (!s.allStrips) {
        if (s.strips > 0) {
            const int a = std::clamp(s.selected, 0, s.strips - 1);
            if (s.fittedEnlarged.fitted) {
                n = measure::FittedLabels(s.fittedEnlarged, L.plot.bottom - 1, L.plotHeight - 2, L.plot.left - 4, a,
                                          s.channelNo[a], s.scales[a].rangeCode, false, labels, cap - 1);
                curve::Label& name = labels[n++];
                name.text = QStringLiteral("AI %1").arg(s.channelNo[a]);
                name.rank = curve::kRankName;
                name.x = L.plot.left + 50;
                name.y = L.plot.top + 15;
            } else {
                n = curve::EnlargedLabels(L, s.scales[a], s.channelNo[a], s.history, labels, cap);
            }
            for (int k = 0; k < n; ++k)
                labels[k].group = a;
            m_textColor = QColor::fromRgb(s.colors[a]);
        }
    } else if (s.tiled) {
        for (int i = 0; i < s.strips; ++i) {
            if (s.fitted != nullptr && s.fitted[i].fitted && L.stripHeight > 25.0)
                n += measure::FittedLabels(s.fitted[i], s.geoms[i].base, s.inner, L.plot.left - 4, i, s.channelNo[i],
                                           s.scales[i].rangeCode, true, labels + n, cap - n);
            else
                n += curve::StripLabels(L, i, s.scales[i], s.channelNo[i], s.history, labels + n, cap - n);
        }
        if (s.strips > 0)
            m_textColor = QColor::fromRgb(s.colors[s.strips - 1]);
    }
    n = curve::KeepReadableLabels(labels, n, fm.ascent(), fm.descent(), L.client.top, L.client.bottom);
    int group = -1;
    const QRect axisRows = IndexStrip(L);
    m_indexStripClear = true;
    for (int k = 0; k < n; ++k) {
        if (labels[k].group != group) {
            group = labels[k].group;
            p.setPen(QColor::fromRgb(s.colors[group]));
        }
        DrawText(p, fm, labels[k].x, labels[k].y, labels[k].text, true);
        const QRect box(QPoint(labels[k].x - TextWidth(labels[k].text) - 2, labels[k].y - fm.ascent() - 2),
                        QPoint(labels[k].x + 2, labels[k].y + fm.descent() + 2));
        if (box.intersects(axisRows))
            m_indexStripClear = false;
    }
    DrawIndexLabels(p, s, fm, INT_MIN);
}

QRect CCurvePainter::IndexStrip(const curve::Layout& L)
{
    // Below the frame's lowest pixel row, right of the value labels: where the labels that
    // move with the position are (the caption and the zero stay left of the plot).
    return QRect(QPoint(L.plot.left, L.plot.bottom + 3), QPoint(std::max(L.client.right, L.plot.left), std::max(L.client.bottom, L.plot.bottom + 3)));
}

void CCurvePainter::DrawIndexLabels(QPainter& p, const CurveScene& s, const QFontMetrics& fm, int fromX)
{
    const curve::Layout& L = s.layout;
    curve::Label* labels = t_labels.data();
    const int cap = int(t_labels.size());
    p.setPen(m_textColor);
    int n = s.periodMs > 0.0 ? measure::TimeAxisLabels(L, s.position, s.extent, s.periodMs, s.timeOrigin, labels, cap)
                         : curve::IndexLabels(L, s.position, s.extent, s.history, labels, cap);
    n = curve::KeepSpacedIndexLabels(labels, n, [&](const QString& t) { return TextWidth(t); }, L.client.right);
    for (int k = 0; k < n; ++k)
        if (labels[k].x >= fromX)
            DrawText(p, fm, labels[k].x, labels[k].y + fm.ascent(), labels[k].text, false);

    if (curve::StartMarkerVisible(L, s.position)) {
        const QString t = QStringLiteral("T");
        p.setPen(kStartMarker);
        p.drawText(QPoint(L.plot.left + 4 - fm.horizontalAdvance(t), L.plot.top), t);
        p.setPen(QPen(kStartMarker, 1, Qt::DashDotDotLine));
        p.drawLine(L.plot.left, L.plot.top + 10, L.plot.left, L.plot.bottom);
        p.setPen(m_textColor);
    }
}

QRect CCurvePainter::SelectedBand(const CurveScene& s)
{
    const curve::Layout& L = s.layout;
    const curve::Rect& r = L.plot;
    if (!s.tiled)
        return QRect();
    if (!s.allStrips)
        return QRect(r.left, r.top, r.Width(), r.Height());
    const int y0 = int(r.top + L.stripHeight * s.selected);
    const int y1 = int(r.top + L.stripHeight * (s.selected + 1));
    const int x1 = std::min(r.left + s.bandWidth, r.right);   // never past the frame
    return QRect(r.left, y0, x1 - r.left, y1 - y0);
}

void CCurvePainter::DrawBackground(const CurveScene& s)
{
    // Black with the selected band, row by row: the paint engine would hand a fill this
    // large to its worker threads, which costs more than the fill.
    const QRect band = m_dpr == 1.0 ? SelectedBand(s) & m_bg.rect() : QRect();
    const QRgb bandRgb = kSelectedBand.rgb();
    for (int y = 0; y < m_bg.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_bg.scanLine(y));
        std::fill(line, line + m_bg.width(), kBackground);
        if (y >= band.top() && y <= band.bottom())
            std::fill(line + band.left(), line + band.left() + band.width(), bandRgb);
    }
    QPainter p(&m_bg);
    DrawBackgroundOn(p, s, m_dpr == 1.0);
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

void CCurvePainter::DrawFrame(QPainter& p, const curve::Rect& r)
{
    const QPoint frame[5] = {QPoint(r.left - 1, r.top), QPoint(r.right + 1, r.top), QPoint(r.right + 1, r.bottom + 1),
                             QPoint(r.left - 1, r.bottom + 1), QPoint(r.left - 1, r.top)};
    for (const QPen& pen : {QPen(kFrame1, 4), QPen(kFrame2, 2), QPen(kFrame3, 1)}) {
        p.setPen(pen);
        p.drawPolyline(frame, 5);
    }
}

void CCurvePainter::DrawBackgroundOn(QPainter& p, const CurveScene& s, bool bandDrawn)
{
    const curve::Layout& L = s.layout;
    const curve::Rect& r = L.plot;
    const QRect band = SelectedBand(s);
    if (!bandDrawn && band.width() > 0 && band.height() > 0)
        p.fillRect(band, kSelectedBand);

    DrawFrame(p, r);
    if (m_vector == nullptr)
        KeepFrameEdges(r);

    DrawGrid(p, s);
    DrawLabels(p, s);
}

void CCurvePainter::DrawTraces(const CurveScene& s)
{
    if (m_trace.size() != m_bg.size()) {
        m_trace = QImage(m_bg.size(), QImage::Format_RGB32);
        m_trace.setDevicePixelRatio(m_dpr);
        m_trace.fill(kBackground);
        m_traceDirty = QRect();
    }
    QPainter p(&m_trace);
    if (!m_traceDirty.isEmpty())
        p.fillRect(m_traceDirty, QColor::fromRgb(kBackground));
    m_traceDirty = DrawTracesOn(p, s);
}

QRect CCurvePainter::DrawTracesOn(QPainter& p, const CurveScene& s)
{
    QRect dirty;
    const curve::Rect& r = s.layout.plot;

    auto draw = [&](const QPoint* pts, int n, QRgb color, const QRect& clip) {
        if (n <= 0 || clip.isEmpty())
            return;
        int x0 = pts[0].x(), x1 = x0, y0 = pts[0].y(), y1 = y0;
        for (int j = 1; j < n; ++j) {
            x0 = std::min(x0, pts[j].x());
            x1 = std::max(x1, pts[j].x());
            y0 = std::min(y0, pts[j].y());
            y1 = std::max(y1, pts[j].y());
        }
        const QRect box = QRect(QPoint(x0, y0), QPoint(x1, y1)).adjusted(-1, -1, 1, 1) & clip;
        if (box.isEmpty())
            return;
        p.setClipRect(clip);
        p.setPen(QPen(QColor::fromRgb(color), 1));
        if (n == 1)
            p.drawPoint(pts[0]);
        else
            p.drawPolyline(pts, n);
        dirty |= box;
    };

    if (s.allStrips || !s.tiled) {
        for (int i = 0; i < s.strips; ++i) {
            const int c = int(s.geoms[i].centre);
            const int half = s.inner / 2;
            const QRect clip(QPoint(r.left, c - half - curve::kBandClipExtra),
                             QPoint(r.right - 1, c + half + curve::kBandClipExtra - 1));
            draw(s.points[i], s.pointCount[i], s.colors[i], clip);
        }
    } else if (s.strips > 0) {
        const int a = std::clamp(s.selected, 0, s.strips - 1);
        draw(s.enlarged, s.enlargedCount, s.colors[a], QRect(r.left, r.top, r.Width(), r.Height()));
    }
    p.setClipping(false);
    return dirty;
}

void CCurvePainter::Paint(QPainter& target, const CurveScene& s, bool fullRedraw, qreal dpr, const QRegion& region,
                          bool reference)
{
    if (EnsureLayers(s, dpr))
        fullRedraw = true;
    if (fullRedraw) {
        // Drawn again only when asked, and then only when it would come out different.
        BackgroundKey(s, m_keyScratch);
        if (m_keyScratch != m_bgKey) {
            if (!reference && CanMoveBackground(s))
                MoveBackground(s);
            else
                DrawBackground(s);
            m_bgKey.swap(m_keyScratch);
            m_bgPosition = s.position;
        }
    }
    const QRect client(0, 0, std::max(s.layout.client.Width(), 1), std::max(s.layout.client.Height(), 1));
    const QRegion area = region.isEmpty() ? QRegion(client) : region & client;
    target.save();
    if (reference || dpr != 1.0 || !TracesRasterizable(s) || !PaintComposed(target, s, area)) {
        PaintReference(target, s);
        DrawCursors(target, s);
    }
    target.restore();
}

void CCurvePainter::PaintReference(QPainter& target, const CurveScene& s)
{
    DrawTraces(s);
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawImage(QPoint(0, 0), m_bg);
    if (!m_traceDirty.isEmpty()) {
        // trace pixels over grid dots and labels show the OR of both colours
        target.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        const QRectF src(m_traceDirty.x() * m_dpr, m_traceDirty.y() * m_dpr, m_traceDirty.width() * m_dpr,
                         m_traceDirty.height() * m_dpr);
        target.drawImage(QRectF(m_traceDirty), m_trace, src);
    }
    target.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool CCurvePainter::TracesRasterizable(const CurveScene& s) const
{
    const int w = m_bg.width(), h = m_bg.height();
    if (s.allStrips || !s.tiled) {
        for (int i = 0; i < s.strips; ++i)
            if (s.pointCount[i] > 0 && !curve::IsColumnTrace(s.points[i], s.pointCount[i], w, h))
                return false;
        return true;
    }
    return s.enlargedCount <= 0 || curve::IsColumnTrace(s.enlarged, s.enlargedCount, w, h);
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
        auto draw = [&](const QPoint* pts, int n, QRgb color, const QRect& clip) {
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
        };
        if (s.allStrips || !s.tiled) {
            for (int i = 0; i < s.strips; ++i) {
                const int c = int(s.geoms[i].centre);
                const int half = s.inner / 2;
                draw(s.points[i], s.pointCount[i], s.colors[i],
                     QRect(QPoint(r.left, c - half - curve::kBandClipExtra),
                           QPoint(r.right - 1, c + half + curve::kBandClipExtra - 1)));
            }
        } else if (s.strips > 0) {
            const int a = std::clamp(s.selected, 0, s.strips - 1);
            draw(s.enlarged, s.enlargedCount, s.colors[a], QRect(r.left, r.top, r.Width(), r.Height()));
        }
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
        target.setCompositionMode(QPainter::CompositionMode_SourceOver);
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

void CCurvePainter::DrawCursors(QPainter& target, const CurveScene& s)
{
    target.save();
    target.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    DrawCursorLines(target, s);
    target.restore();
}

void CCurvePainter::DrawCursorLines(QPainter& target, const CurveScene& s)
{
    const curve::Rect& r = s.layout.plot;
    target.setBackgroundMode(Qt::TransparentMode);
    for (int k = 0; k < s.cursorCount && k < 2; ++k) {
        target.setPen(QPen(QColor::fromRgb(s.cursorColor[k]), 1, Qt::DotLine));
        target.drawLine(s.cursorX[k], r.top, s.cursorX[k], r.bottom);
    }
}

void CCurvePainter::PaintVector(QPainter& target, const CurveScene& s)
{
    const QRect client(0, 0, std::max(s.layout.client.Width(), 1), std::max(s.layout.client.Height(), 1));
    target.save();
    target.setClipRect(client);
    target.fillRect(client, QColor::fromRgb(kBackground));
    m_vector = &target;
    DrawBackgroundOn(target, s, false);
    m_vector = nullptr;
    DrawTracesOn(target, s);
    DrawCursorLines(target, s);
    target.restore();
}

} // namespace nuv
