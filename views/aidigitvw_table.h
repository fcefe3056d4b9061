// The table the playback digit view shows and prints: index column, one column per
// enabled channel, headers by display mode, cursor rows highlighted.
#pragma once

#include <QRect>
#include <QSize>
#include <cstddef>
#include <cstdint>

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

struct DigitTableRows {
    int64_t First = 0;            // absolute index of the first row
    int Available = 0;            // rows whose codes are present
    int MaxRows = 128;            // rows the table may show
    const uint16_t* Codes = nullptr;   // code of slot k, row r: Codes[k * SlotStride + r * RowStride]
    size_t SlotStride = 0;
    size_t RowStride = 1;
};

// Paints the table into the area (0,0)-(size) of `p`, columns shifted left by `hscroll`
// pixels. Returns the rows shown. Draws nothing while `doc` holds no file. `glyphRuns`
// draws the numbers from cached glyphs (fast, for the screen); without it every text is
// laid out as text (for printers and PDF files, which keep the characters).
// With `dirty`, only that part is painted (the rest of the picture is kept).
int PaintDigitTable(QPainter& p, const QSize& size, const CAIHistDoc& doc, const DigitTableRows& rows,
                    int hscroll, bool glyphRuns = false, const QRect* dirty = nullptr);

} // namespace nuv
