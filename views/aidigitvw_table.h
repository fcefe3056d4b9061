// The table the playback digit view shows and prints: index column, one column per
// enabled channel, headers by display mode, cursor rows highlighted.
#pragma once

#include <QDateTime>
#include <QRect>
#include <QSize>
#include <cstddef>
#include <cstdint>

class QFont;
class QPainter;

namespace nuv {

class CAIHistDoc;

namespace digittable {
constexpr int kRowHeight = 16;
constexpr int kIndexWidth = 60;
constexpr int kColumnStep = 90;
constexpr int kColumnWidth = 100;
constexpr int kClipLeft = 70;     // channel columns vanish behind the index column
} // namespace digittable

// Where the columns lie. The index column and the channel columns are at least as wide
// as their usual sizes (60, and 100 pixels every 90), and wider when the widest number
// of a column (its channel's range in the current mode, or the last index) needs more.
struct DigitTableLayout {
    int IndexWidth = digittable::kIndexWidth;   // right edge of the index column
    int Step = digittable::kColumnStep;         // from one channel column to the next
    int Columns = 0;
    int TimeWidth = 0;                          // the time column's width; 0: none
    int ClipLeft() const { return IndexWidth + (digittable::kClipLeft - digittable::kIndexWidth); }
    int CellWidth() const { return Step + (digittable::kColumnWidth - digittable::kColumnStep); }
    // Right edge of slot `slot`'s cells, with the columns shifted left by `hscroll`.
    int CellRight(int slot, int hscroll) const { return IndexWidth - hscroll + Step * slot + CellWidth(); }
    // Width the horizontal scroll bar covers.
    int Width() const;
};

// Measures the columns of `doc`'s table in its display mode with the table's font.
DigitTableLayout MeasureDigitTable(const CAIHistDoc& doc);

// The optional time column after the channels: "时间", hh:mm:ss.zzz of each reading, the
// file's start plus the reading's index of periods.
struct DigitTableTime {
    QDateTime Start;
    double PeriodMs = 0.0;
};
// Width of the time column in the table's font.
int DigitTableTimeWidth();

// How the table is drawn: on screen green and channel colours on black, optionally from
// cached glyphs (fast; printers and PDF files need real text, which keeps the characters);
// on paper the same colours made dark, on white.
struct DigitTableStyle {
    bool GlyphRuns = false;
    bool Paper = false;
    // The columns as measured by the caller, who keeps them while the file and the mode
    // stay; null: measured for this one table.
    const DigitTableLayout* Layout = nullptr;
    // The time column, drawn when the layout makes room for it.
    const DigitTableTime* Time = nullptr;
};

struct DigitTableRows {
    int64_t First = 0;            // absolute index of the first row
    int Available = 0;            // rows whose codes are present
    int MaxRows = 128;            // rows the table may show
    const uint16_t* Codes = nullptr;   // code of slot k, row r: Codes[k * SlotStride + r * RowStride]
    size_t SlotStride = 0;
    size_t RowStride = 1;
};

// Paints the table into the area (0,0)-(size) of `p`, columns shifted left by `hscroll`
// pixels. Returns the rows shown. Draws nothing while `doc` holds no file. With `dirty`,
// only that part is painted (the rest of the picture is kept).
int PaintDigitTable(QPainter& p, const QSize& size, const CAIHistDoc& doc, const DigitTableRows& rows,
                    int hscroll, const DigitTableStyle& style = {}, const QRect* dirty = nullptr);

// The channels of the table's columns, in slot order; returns their number.
int DigitTableChannels(const CAIHistDoc& doc, int* channels);

// The font the table is drawn with.
const QFont& DigitTableFont();

} // namespace nuv
