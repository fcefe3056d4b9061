// Geometry, scaling and interaction arithmetic of the waveform views (live and history).
//
// Everything here is plain integer and real arithmetic on the client size, the channel
// range records and the sample codes, so both views share it and it runs without a window.
// Rectangles follow the window convention: right and bottom are exclusive edges.
#pragma once

#include "device/mdq4170.h"

#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>

namespace nuv::curve {

constexpr int kPlotLeft = 60;
constexpr int kPlotTop = 10;
constexpr int kPlotRightGap = 10;
constexpr int kPlotBottomGap = 20;
constexpr int kStripMargin = 8;        // trace band = strip height - 8
constexpr int kLiveStrips = 8;
constexpr int kMaxStrips = 8;
constexpr int kMaxPlotWidth = 8192;
constexpr int kPointCapacity = kMaxPlotWidth + 8;   // visible count is plot width + 1
constexpr int kMaxWindow = 131072;
constexpr int kCursorTolerance = 5;    // a distance below 5 hits
constexpr int kWheelStep = 40;
constexpr int kGridSpacing = 50;       // vertical grid lines and index labels
constexpr int kDotSpacing = 5;
constexpr int kBandClipExtra = 2;
constexpr int kCoordLimit = 1 << 20;   // larger offsets give no point

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct Layout {
    Rect client;
    Rect plot{kPlotLeft, kPlotTop, kPlotLeft + 800, kPlotTop + 600};
    int plotWidth = 800;      // at least 1
    int plotHeight = 600;
    double stripHeight = 80.0;
    int divisions = 8;        // N: 8, 4, 2 or 1
    double gridStep = 20.0;
};

// Grid divisions of one strip: 8 from 120 px, 4 from 60, 2 above 40, else 1.
int DivisionCount(double stripHeight);
// Plot rectangle, strip height, divisions and grid step for `strips` strips (at least 1).
// `plotLeft` is where the label column ends (see LabelColumnLeft).
Layout ComputeLayout(int clientWidth, int clientHeight, int strips, int plotLeft = kPlotLeft);

// What the views keep of a channel's range record.
struct Scale {
    uint32_t rangeCode = 0;
    double upper = 0.0;       // RangeMax, the top label
    double lower = 0.0;       // RangeMin, value of code 0
    double span = 1000.0;     // RangeMax - RangeMin
    double step = 0.0;        // CodeStep
};
Scale ScaleFromRange(uint32_t rangeCode, const RangeInfo& info);
inline bool IsCentred(uint32_t rangeCode) { return rangeCode < 8; }

// Per-strip geometry: units per pixel, zero line and bottom band edge.
struct StripGeom {
    double scale = 0.0;
    double centre = 0.0;
    double base = 0.0;
};

// Trace band height of one strip: plot height / strips - 8 (integer division).
int InnerHeight(int plotHeight, int strips);
// Scale, centre and base of strips 0..strips-1. False (and `out` untouched) when the plot
// height is 0 or less.
bool ComputeStripGeometry(const Layout& lay, int strips, const Scale* scales, StripGeom* out);

// Pixel row of a code in its strip (centred or based rule). False when the strip cannot
// place points (no trace band, zero or non-finite scale) or the row would overflow.
bool StripY(const Scale& s, const StripGeom& g, int inner, uint16_t code, int* y);
// Pixel row of a code of the channel enlarged over the whole plot; the history view
// places centred codes one pixel lower.
bool EnlargedY(const Scale& s, const Layout& lay, bool history, uint16_t code, int* y);

// Trace vertices x = x0 + j for codes[0..count-1] (at most `capacity`); samples that give
// no point are left out. Returns the number of points written.
int StripPoints(const uint16_t* codes, int count, int x0, const Scale& s, const StripGeom& g, int inner,
                QPoint* out, int capacity);
int EnlargedPoints(const uint16_t* codes, int count, int x0, const Scale& s, const Layout& lay, bool history,
                   QPoint* out, int capacity);

// Samples one screen shows from `position`: plot width + 1, cut at the maximum position,
// at most 131072 and at most `capacity`, never negative.
int VisibleCount(int plotWidth, int position, int maxPosition, int capacity);

// ---- cursors and dragging ----
enum DragMode { kDragBoth = 0, kDragCursor1 = 1, kDragCursor2 = 2, kDragPan = 4, kDragNone = 65535 };
enum PointerShape { kShapeArrow = 0, kShapeResize = 1, kShapeMoveAll = 3, kShapeInitial = 4, kShapeHand = 5 };

struct Range1 {
    int lo = 0, hi = 0;       // inclusive
    int Clamp(int v) const { return v < lo ? lo : (v > hi ? hi : v); }
};

// Drag mode of a press without Ctrl: pan, cursor 1 when near it, cursor 2 when near it
// (cursor 2 wins).
int PressDragMode(int x, int x1, int x2);
// A Ctrl-press drags both cursors when it lies between them, ends included.
bool PairHit(int x, int x1, int x2);
// Pointer x range while a cursor is dragged or the plot is panned: the plot's columns.
Range1 CursorConfine(const Rect& plot);
// Pointer x range of a pair drag: narrowed so both cursors stay in the plot.
Range1 PairConfine(const Rect& plot, int pressX, int x1, int x2);
// Pointer shape after a move to x.
int MoveShape(bool inPlot, bool buttonDown, bool pairDrag, int currentShape, int x, int x1, int x2);
// Sample index under a cursor line.
inline int CursorIndex(int cursorX, int plotLeft, int position) { return cursorX - plotLeft + position; }

// ---- scrolling ----
enum class ScrollRequest { LineLeft, LineRight, PageLeft, PageRight, ThumbTrack, Other };
enum class ScrollKey { PageUp, PageDown, End, Home, Left, Right, Other };

int ScrollTarget(ScrollRequest r, int position, int page, int track, int maxPosition);
// First sample of the last screenful: the last reading sits on the plot's rightmost column.
inline int LastScreenful(int maxPosition, int plotWidth)
{
    return maxPosition > plotWidth ? maxPosition - plotWidth : 0;
}
int KeyTarget(ScrollKey k, int position, int page, int maxPosition);
// One wheel message moves 40 samples: towards the end for delta <= 0. Ctrl: no move.
int WheelTarget(int position, int delta, bool ctrl, int maxPosition);
// Dragging to the right moves towards the start.
int PanTarget(int position, int lastX, int x, int maxPosition);

// ---- double-click: select, enlarge, return ----
// Strip whose band holds y: |y - centre| < plot height / (2 strips); -1 for none.
int HitStrip(int y, const StripGeom* g, int strips, int plotHeight);

struct DblClick {
    bool acted = false;       // anything changed
    bool allStrips = true;
    int selected = 0;
    bool redraw = false;      // full redraw and invalidate
    bool publish = false;     // publish the cursor indices
};
DblClick DoubleClick(bool tiled, bool inPlot, bool allStrips, int selected, int y, const StripGeom* g, int strips,
                     int plotHeight);

// ---- labels ----
enum LabelAlign { kRightBaseline, kLeftTop };
// Which value labels stay when there is no room for all: lower ranks first.
enum LabelRank { kRankName = 0, kRankTop = 1, kRankBottom = 2, kRankOther = 3 };
struct Label {
    QString text;
    int x = 0;
    int y = 0;
    int rank = kRankOther;
    int group = 0;            // strip whose colour the label takes
};

// Width in pixels of a text in the label font; the painter measures, the rules decide.
using TextWidth = std::function<int(const QString&)>;
// Gap between a value label's right end and the plot.
constexpr int kLabelGap = 4;
// Room kept free left of the widest value label.
constexpr int kLabelMargin = 2;
// Blank columns an index label keeps from the one before it.
constexpr int kIndexLabelGap = 1;

// Value labels of strip i: N + 1 labels top to bottom, the middle one named; a strip of
// 25 px or less gets only its name. `channelNo` is the channel shown in the name.
int StripLabels(const Layout& lay, int strip, const Scale& s, int channelNo, bool history, Label* out, int capacity);
// Labels of the enlarged channel (right-aligned, baseline) and its name label.
int EnlargedLabels(const Layout& lay, const Scale& s, int channelNo, bool history, Label* out, int capacity);
// Index axis labels (left, top): "Index", "0" at position 0, then one every 50 samples.
// `extent` is the last index the axis may label (sweep length or maximum position).
int IndexLabels(const Layout& lay, int position, int extent, bool history, Label* out, int capacity);
// The walk every horizontal axis shares: `caption` left of the plot, `zero` at its left edge
// when the view starts at reading 0, then text(v) under each grid line up to `extent`.
int AxisLabels(const Layout& lay, int position, int extent, const QString& caption, const QString& zero,
               const std::function<QString(int64_t)>& text, Label* out, int capacity);
// Plot left edge: 60, or further right so that the widest value label of any strip (tiled
// or enlarged) fits whole left of it.
int LabelColumnLeft(const Layout& lay, int strips, const Scale* scales, const int* channelNo, bool history,
                    const TextWidth& width);
// Leaves out value labels that would overlap a label of the same column kept before them
// (by rank, then in order) or reach outside rows [top, bottom). A label covers rows
// [y - ascent, y + descent). Keeps the order of the survivors; returns their count.
int KeepReadableLabels(Label* labels, int count, int ascent, int descent, int top, int bottom);
// Leaves out index labels that would touch or overlap the label before them, or run past
// `right`. Returns the count kept.
int KeepSpacedIndexLabels(Label* labels, int count, const TextWidth& width, int right);
// The start marker shows while the sweep's first sample is at the plot's left edge.
bool StartMarkerVisible(const Layout& lay, int position);

// Vertical grid columns (offsets from plot left) for this position; `extent` as above.
int VerticalGridOffsets(int plotWidth, int position, int extent, int* out, int capacity);
// Offsets of the dots along a horizontal grid line: first, and exclusive end.
Range1 HorizontalDotRun(int plotWidth, int position, int extent);

// Default colours, 0xAARRGGBB with opaque alpha.
uint32_t DefaultTraceRgb(int channel);
uint32_t DefaultCursorRgb(int cursor);

} // namespace nuv::curve
