#include "views/curvepaint.h"
#include "views/curvepaint_p.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

namespace nuv {

namespace {

using namespace curvepaint;

thread_local std::vector<curve::Label> t_labels(256);

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

QSize CCurvePainter::LayerSize(const CurveScene& scene, qreal dpr)
{
    const QSize logical(std::max(scene.layout.client.Width(), 1), std::max(scene.layout.client.Height(), 1));
    return QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
}

bool CCurvePainter::EnsureLayers(const CurveScene& scene, qreal dpr)
{
    const QSize device = LayerSize(scene, dpr);
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

void CCurvePainter::Dot(int x, int y, QRgb c)
{
    if (m_vector != nullptr) {
        m_vector->fillRect(QRect(x, y, 1, 1), QColor::fromRgb(c));
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
    // On the screen's layer the dots go straight into its pixels.
    QRgb* pixels = m_vector == nullptr && m_dpr == 1.0
                       ? reinterpret_cast<QRgb*>(const_cast<uchar*>(std::as_const(m_bg).constBits()))
                       : nullptr;
    const qsizetype stride = m_bg.bytesPerLine() / 4;
    const int w = m_bg.width(), h = m_bg.height();
    const bool separators = s.tiled && s.allStrips && s.strips <= curve::kMaxStrips;
    const QPen sep4(kFrame1, 4), sep2(kFrame2, 2);
    EachGridDot(
        L, s.position, s.extent,
        [&](int x, int y) {
            if (pixels == nullptr)
                Dot(x, y, kGridDot);
            else if (x >= 0 && y >= 0 && x < w && y < h)
                pixels[y * stride + x] = kGridDot;
        },
        [&](int index, int yy) {
            if (separators && index % L.divisions == 0) {
                p.setPen(sep4);
                p.drawLine(r.left, yy, r.right, yy);
                p.setPen(sep2);
                p.drawLine(r.left, yy, r.right, yy);
            }
        });
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
    return QRect(QPoint(L.plot.left, L.plot.bottom + 3),
                 QPoint(std::max(L.client.right, L.plot.left), std::max(L.client.bottom, L.plot.bottom + 3)));
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
    EachTrace(s, [&](const QPoint* pts, int n, QRgb color, const QRect& clip) {
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
    });
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
