#include "views/aidigitvw_table.h"

#include "views/curvemeasure.h"

#include "datafile/aihistdoc.h"
#include "acquisition/aitypes.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <algorithm>

namespace nuv {

using namespace digittable;

namespace {

// Glyphs of the characters numbers are made of, looked up once: the values of a column
// then go to the painter as one glyph run instead of being laid out string by string.
struct NumberGlyphs {
    QRawFont raw;
    quint32 glyph[128]{};
    qreal advance[128]{};
    bool known[128]{};

    static const NumberGlyphs& Get()
    {
        static const NumberGlyphs* g = new NumberGlyphs;
        return *g;
    }

private:
    NumberGlyphs() : raw(QRawFont::fromFont(DigitTableFont()))
    {
        if (!raw.isValid())
            return;
        const QString chars = QStringLiteral("0123456789abcdef.-+ naiINF");
        const QList<quint32> idx = raw.glyphIndexesForString(chars);
        if (idx.size() != chars.size())
            return;
        const QList<QPointF> adv = raw.advancesForGlyphIndexes(idx);
        for (int i = 0; i < chars.size(); ++i) {
            const int c = chars[i].unicode();
            if (idx[i] == 0)
                continue;
            glyph[c] = idx[i];
            advance[c] = adv[i].x();
            known[c] = true;
        }
    }
};

// Writes texts right-aligned in the cells of one row height, vertically centred. With
// glyph runs, texts of one colour are gathered and drawn together.
class CellWriter {
public:
    CellWriter(QPainter& painter, bool glyphRuns)
        : m_p(painter), m_fm(painter.font()), m_baseline((kRowHeight + m_fm.ascent() - m_fm.descent()) / 2),
          m_glyphs(glyphRuns ? &NumberGlyphs::Get() : nullptr)
    {
        if (m_glyphs != nullptr && !m_glyphs->raw.isValid())
            m_glyphs = nullptr;
    }
    ~CellWriter() { Flush(); }

    void Right(int right, int top, const QString& text, const QColor& colour)
    {
        if (m_glyphs != nullptr && Gather(right, top, text, colour))
            return;
        Flush();
        m_p.setPen(colour);
        m_p.drawText(right - m_fm.horizontalAdvance(text), top + m_baseline, text);
    }

    void Flush()
    {
        if (m_index.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_glyphs->raw);
        run.setGlyphIndexes(m_index);
        run.setPositions(m_pos);
        m_p.setPen(m_colour);
        m_p.drawGlyphRun(QPointF(0, 0), run);
        m_index.clear();
        m_pos.clear();
    }

private:
    bool Gather(int right, int top, const QString& text, const QColor& colour)
    {
        qreal width = 0;
        for (QChar ch : text) {
            const ushort c = ch.unicode();
            if (c >= 128 || !m_glyphs->known[c])
                return false;
            width += m_glyphs->advance[c];
        }
        if (colour != m_colour) {
            Flush();
            m_colour = colour;
        }
        qreal x = right - width;
        const qreal y = top + m_baseline;
        for (QChar ch : text) {
            const ushort c = ch.unicode();
            if (c != ' ') {
                m_index.append(m_glyphs->glyph[c]);
                m_pos.append(QPointF(x, y));
            }
            x += m_glyphs->advance[c];
        }
        return true;
    }

    QPainter& m_p;
    QFontMetrics m_fm;
    int m_baseline;
    const NumberGlyphs* m_glyphs;
    QColor m_colour;
    QList<quint32> m_index;
    QList<QPointF> m_pos;
};

QString HeaderText(int mode, int channel, const QString& unit)
{
    switch (mode) {
    case 0: return QString::asprintf("  *AI%d(Dec)", channel);
    case 1: return QString::asprintf("  *AI%d(Hex)", channel);
    default: return QStringLiteral("  *AI%1(%2)").arg(channel).arg(unit);
    }
}

QString ValueText(int mode, uint16_t code, double value)
{
    switch (mode) {
    case 0: return QString::asprintf(" %6d", int(code));
    case 1: return QString::asprintf("%4x", unsigned(code));
    default: return QString::asprintf("  %6.5f", value);
    }
}

// Unit shown for each slot: an unknown range code keeps the previous column's unit.
void SlotUnits(const CAIHistDoc& doc, const int* channels, int count, QString* units)
{
    QString unit = QStringLiteral("V");
    for (int slot = 0; slot < count; ++slot) {
        const uint32_t code = doc.m_Param.Range[channels[slot]];
        if (code < uint32_t(kRangeCount))
            unit = RangeUnitText(code);
        units[slot] = unit;
    }
}

// On paper every colour is made dark enough to read on white; its hue stays.
QColor PaperInk(QRgb rgb)
{
    QColor c = QColor::fromRgb(rgb).toHsl();
    if (c.lightnessF() > 0.25)
        c.setHslF(c.hslHueF(), c.hslSaturationF(), 0.25);
    return c.toRgb();
}

} // namespace

int DigitTableChannels(const CAIHistDoc& doc, int* channels)
{
    return std::min<int>(EnabledChannels(doc.m_Param, channels), int(std::min<uint32_t>(doc.m_nChannelCount, 8)));
}

const QFont& DigitTableFont()
{
    // Built once and kept for the program's life (it outlives any painter).
    static const QFont* font = [] {
        auto* f = new QFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        f->setPixelSize(12);
        return f;
    }();
    return *font;
}

int DigitTableLayout::Width() const
{
    // The usual width, or more when the columns are wider; a few pixels to spare after
    // the last column's text.
    return std::max((Columns + 1) * kColumnStep, CellRight(std::max(Columns - 1, 0), 0) + 10) + TimeWidth;
}

int DigitTableTimeWidth()
{
    const QFontMetrics fm(DigitTableFont());
    return fm.horizontalAdvance(QStringLiteral("  00:00:00.000"));
}

DigitTableLayout MeasureDigitTable(const CAIHistDoc& doc)
{
    DigitTableLayout l;
    if (!doc.m_bOpen)
        return l;
    const QFontMetrics fm(DigitTableFont());
    const int gap = fm.horizontalAdvance(QStringLiteral("  "));
    const int64_t end = std::min<int64_t>(doc.m_nMaxPosition, doc.m_nScanCount);
    const int index = std::max(fm.horizontalAdvance(QStringLiteral("Index")),
                               fm.horizontalAdvance(QString::number(std::max<int64_t>(end - 1, 0))));
    l.IndexWidth = std::max(kIndexWidth, index + 4);

    int channels[kChannels];
    QString units[kChannels];
    l.Columns = DigitTableChannels(doc, channels);
    SlotUnits(doc, channels, l.Columns, units);
    const int mode = doc.m_nDigitMode;
    int widest = 0;
    for (int slot = 0; slot < l.Columns; ++slot) {
        const int c = channels[slot];
        // The widest number of a column is at one end of its codes.
        for (const QString& t : {HeaderText(mode, c, units[slot]), ValueText(mode, 0, doc.CodeValue(c, 0)),
                                 ValueText(mode, 0xFFFF, doc.CodeValue(c, 0xFFFF))})
            widest = std::max(widest, fm.horizontalAdvance(t.trimmed()) + gap);
    }
    l.Step = std::max(kColumnStep, widest);
    return l;
}

int PaintDigitTable(QPainter& p, const QSize& size, const CAIHistDoc& doc, const DigitTableRows& rows, int hscroll,
                    const DigitTableStyle& style, const QRect* dirty)
{
    const QRect area(QPoint(0, 0), size);
    if (!doc.m_bOpen)
        return 0;
    const DigitTableLayout layout = style.Layout != nullptr ? *style.Layout : MeasureDigitTable(doc);
    const QRect paint = dirty != nullptr ? dirty->intersected(area) : area;
    auto ink = [&style](QRgb rgb) { return style.Paper ? PaperInk(rgb) : QColor::fromRgb(rgb); };
    p.save();
    p.setClipRect(paint);
    p.fillRect(paint, style.Paper ? Qt::white : Qt::black);
    p.setFont(DigitTableFont());
    p.setBackgroundMode(Qt::TransparentMode);
    const QColor indexInk = style.Paper ? QColor(Qt::black) : QColor(0, 255, 0);
    CellWriter w(p, style.GlyphRuns && !style.Paper);

    if (paint.top() < kRowHeight)
        w.Right(layout.IndexWidth, 0, QStringLiteral("Index"), indexInk);

    // Index column: rows stop at the end of the file and of the codes at hand.
    const int64_t end = std::min<int64_t>(doc.m_nMaxPosition, doc.m_nScanCount);
    int shown = 0;
    QRect cell(0, kRowHeight, layout.IndexWidth, kRowHeight);
    for (int64_t i = rows.First; i < rows.First + rows.MaxRows; ++i, cell.translate(0, kRowHeight)) {
        if (cell.top() > area.bottom())
            break;
        if (!cell.intersects(area))
            continue;
        if (i >= end || i - rows.First >= rows.Available)
            break;
        ++shown;
        if (cell.intersects(paint))
            w.Right(layout.IndexWidth, cell.top(), QString::number(i), indexInk);
    }

    // Channel columns, clipped behind the index column. Slot k takes the colour of the
    // k-th waveform strip.
    w.Flush();
    p.setClipRect(QRect(layout.ClipLeft(), 0, std::max(0, size.width() - layout.ClipLeft()), size.height())
                      .intersected(paint));
    int enabled[kChannels];
    QString units[kChannels];
    const int count = DigitTableChannels(doc, enabled);
    SlotUnits(doc, enabled, count, units);
    const int mode = doc.m_nDigitMode;
    const QColor cursor1 = ink(doc.m_CursorColor[0]);
    const QColor cursor2 = ink(doc.m_CursorColor[1]);
    for (int slot = 0; slot < count; ++slot) {
        const int c = enabled[slot];
        const int right = layout.CellRight(slot, hscroll);
        const QRect head(right - layout.CellWidth(), 0, layout.CellWidth(), kRowHeight);
        if (!head.intersects(area))
            continue;
        const QColor colour = ink(doc.m_TraceColor[slot]);
        if (paint.top() < kRowHeight)
            w.Right(right, 0, HeaderText(mode, c, units[slot]), colour);
        if (rows.Codes == nullptr)
            continue;
        const uint16_t* codes = rows.Codes + size_t(slot) * rows.SlotStride;
        // Only the rows that meet the painted part.
        const int r0 = std::max(0, paint.top() / kRowHeight - 1);
        const int r1 = std::min(shown, paint.bottom() / kRowHeight);
        for (int r = r0; r < r1; ++r) {
            const uint16_t k = codes[size_t(r) * rows.RowStride];
            const int64_t index = rows.First + r;
            const QColor& pen = index == doc.m_nCursorScan[0]   ? cursor1
                                : index == doc.m_nCursorScan[1] ? cursor2
                                                                : colour;
            w.Right(right, kRowHeight * (r + 1), ValueText(mode, k, doc.CodeValue(c, k)), pen);
        }
    }
    if (style.Time != nullptr && layout.TimeWidth > 0) {
        const int right = layout.CellRight(std::max(count - 1, 0), hscroll) + (count > 0 ? layout.TimeWidth : 0);
        if (paint.top() < kRowHeight)
            w.Right(right, 0, QStringLiteral("时间"), indexInk);
        const int r0 = std::max(0, paint.top() / kRowHeight - 1);
        const int r1 = std::min(shown, paint.bottom() / kRowHeight);
        for (int r = r0; r < r1; ++r)
            w.Right(right, kRowHeight * (r + 1),
                    measure::ClockText(style.Time->Start, style.Time->PeriodMs, rows.First + r), indexInk);
    }
    w.Flush();
    p.restore();
    return shown;
}

} // namespace nuv

