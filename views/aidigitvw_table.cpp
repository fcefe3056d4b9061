#include "aidigitvw_table.h"

#include "aihistdoc.h"
#include "aitypes.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace nuv {

using namespace digittable;

namespace {

QFont TableFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(12);
    return f;
}

// Right-aligned in a cell of one row, vertically centred.
struct CellWriter {
    QPainter& p;
    QFontMetrics fm;
    int baseline;
    CellWriter(QPainter& painter) : p(painter), fm(painter.font()), baseline((kRowHeight + fm.ascent() - fm.descent()) / 2) {}
    void Right(int right, int top, const QString& text)
    {
        p.drawText(right - fm.horizontalAdvance(text), top + baseline, text);
    }
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

} // namespace

int PaintDigitTable(QPainter& p, const QSize& size, const CAIHistDoc& doc, const DigitTableRows& rows, int hscroll)
{
    const QRect area(QPoint(0, 0), size);
    if (!doc.m_bOpen)
        return 0;
    p.save();
    p.fillRect(area, Qt::black);
    p.setFont(TableFont());
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(QColor(0, 255, 0));
    CellWriter w(p);

    w.Right(kIndexWidth, 0, QStringLiteral("Index"));

    // Index column: rows stop at the end of the file and of the codes at hand.
    const int64_t end = std::min<int64_t>(doc.m_nMaxPosition, doc.m_nScanCount);
    int shown = 0;
    QRect cell(0, kRowHeight, kIndexWidth, kRowHeight);
    for (int64_t i = rows.First; i < rows.First + rows.MaxRows; ++i, cell.translate(0, kRowHeight)) {
        if (cell.top() > area.bottom())
            break;
        if (!cell.intersects(area))
            continue;
        if (i >= end || i - rows.First >= rows.Available)
            break;
        ++shown;
        w.Right(kIndexWidth, cell.top(), QString::number(i));
    }

    // Channel columns, clipped behind the index column.
    p.setClipRect(QRect(kClipLeft, 0, std::max(0, size.width() - kClipLeft), size.height()));
    int enabled[kChannels];
    const int count = std::min<int>(EnabledChannels(doc.m_Param, enabled), int(std::min<uint32_t>(doc.m_nChannelCount, 8)));
    const int mode = doc.m_nDigitMode;
    QString unit = QStringLiteral("V");
    for (int slot = 0; slot < count; ++slot) {
        const int c = enabled[slot];
        const uint32_t code = doc.m_Param.Range[c];
        if (code < uint32_t(kRangeCount))
            unit = RangeUnitText(code);   // an unknown code keeps the previous column's unit
        const QRect head(kIndexWidth - hscroll + kColumnStep * slot, 0, kColumnWidth, kRowHeight);
        if (!head.intersects(area))
            continue;
        const QColor colour = QColor::fromRgb(doc.m_TraceColor[c]);
        p.setPen(colour);
        w.Right(head.right() + 1, 0, HeaderText(mode, c, unit));
        if (rows.Codes == nullptr)
            continue;
        const uint16_t* codes = rows.Codes + size_t(slot) * rows.SlotStride;
        for (int r = 0; r < shown; ++r) {
            const uint16_t k = codes[size_t(r) * rows.RowStride];
            const int64_t index = rows.First + r;
            if (index == doc.m_nCursorScan[0])
                p.setPen(QColor::fromRgb(doc.m_CursorColor[0]));
            else if (index == doc.m_nCursorScan[1])
                p.setPen(QColor::fromRgb(doc.m_CursorColor[1]));
            else
                p.setPen(colour);
            w.Right(head.right() + 1, kRowHeight * (r + 1), ValueText(mode, k, doc.CodeValue(c, k)));
        }
    }
    p.restore();
    return shown;
}

} // namespace nuv
