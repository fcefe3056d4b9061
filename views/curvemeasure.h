// Measuring on the traces: the index axis read as elapsed time, the digit views' time
// column, value scales fitted to the readings on show, and the read-out of the readings
// under the cursors. Plain arithmetic and text, shared by the live and history views.
#pragma once

#include "views/chanstats.h"
#include "views/curvegeom.h"

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace nuv::measure {

// ---- time axis ----

// How elapsed times are written: seconds ("12.5s"), minutes and seconds ("2:05.5") or
// hours, minutes and seconds ("1:02:05").
enum class TimeForm { Seconds, MinSec, HourMinSec };

// The form an axis reaching `spanMs` needs: seconds below a minute, min:s below an hour.
TimeForm TimeFormFor(double spanMs);
// Places after the second that tell labels `stepMs` apart (0..3).
int TimeDecimals(double stepMs);
// An elapsed time (negative times count as 0), rounded to `decimals` places of the second.
QString ElapsedText(double ms, TimeForm form, int decimals);

// Index axis labels read as time: the same places as curve::IndexLabels, the caption
// "Time", the time of index 0 at the start and every 50 readings the elapsed time of that
// reading. Index i lies `origin` + i periods after the start of the run (a live sweep that
// wrapped starts later than the run). `extent` is the last index the axis may label; its
// time decides the form.
int TimeAxisLabels(const curve::Layout& lay, int position, int extent, double periodMs, int64_t origin,
                   curve::Label* out, int capacity);

// The digit views' time column: "hh:mm:ss.zzz" of reading `index`, the local time `start`
// plus `index` reading periods; without a valid start the time since the start of the run.
QString ClockText(const QDateTime& start, double periodMs, int64_t index);

// ---- fitted scales ----

struct FittedScale {
    bool fitted = false;    // false: nothing to fit, the range's own scale stays
    double lower = 0.0;     // value at the bottom of the trace band
    double upper = 0.0;     // value at the top
    double step = 0.0;      // between labels: 1, 2 or 5 times a power of ten
    int divisions = 0;      // (upper - lower) / step
    int decimals = 1;       // places the labels need (at least one, as the range labels)
};

// A scale for readings lo..hi in at most `divisions` divisions: 5 % of their spread added
// on each side, both ends on multiples of the smallest round step that needs no more. Flat data (one reading, a constant input)
// get a band of ±5 % of their value, or of a thousandth of `rangeSpan` around zero.
// `any` false (no reading, all broken) or a value that is not finite: not fitted.
FittedScale FitScale(bool any, double lo, double hi, int divisions, double rangeSpan);

// Pixel row of `value` on a fitted scale drawn in the band [base - inner, base]. False when
// the band has no height or the row would overflow.
bool FittedRow(const FittedScale& f, double base, int inner, double value, int* y);

// Trace vertices x = x0 + j of codes[0..count-1] decoded with `offset` and `gain` on a
// fitted scale in the band [base - inner, base]; at most `capacity`. Returns the count.
int FittedPoints(const uint16_t* codes, int count, int x0, double offset, double gain, const FittedScale& f,
                 double base, int inner, QPoint* out, int capacity);

// Value labels of a fitted scale: one per step from the top, right-aligned at `x`, each on
// its value's row (baseline 4 px lower). The middle one is named "AI%d" with `channelNo`
// when `named`. Ranks and group as curve::StripLabels gives them.
int FittedLabels(const FittedScale& f, double base, int inner, int x, int group, int channelNo, uint32_t rangeCode,
                 bool named, curve::Label* out, int capacity);

// ---- cursor read-out ----

// What the read-out shows of a reading: the raw code in decimal or hexadecimal, or the
// value in the channel's unit (the digit views' display modes 0, 1, 2).
enum class ReadoutMode { Decimal = 0, Hex = 1, Value = 2 };

struct ReadoutChannel {
    ChannelDecode decode;
    bool has[2] = {false, false};   // a reading lies under the cursor
    uint16_t code[2] = {0, 0};
};

struct ReadoutInput {
    int cursors = 1;                // 1 or 2
    int64_t index[2] = {0, 0};      // reading under each cursor
    double periodMs = 0.0;          // time between readings; 0: times unknown
    int64_t timeOrigin = 0;         // readings of the run before index 0
    TimeForm form = TimeForm::Seconds;
    ReadoutMode mode = ReadoutMode::Value;
    int decimals = 3;               // places of values, as the digit view prints them
    int channels = 0;
    ReadoutChannel ch[8];
};

// The read-out as a small table: a heading row ("", "序号", "时间", "AI0(V)", ...), a row per
// cursor ("光标1", "光标2") and, with two cursors, the differences cursor 2 − cursor 1
// ("Δ"). Without a period the time column is left out. Cells without a reading hold "--";
// a broken thermocouple's value reads "断偶" (its code stays visible in the code modes).
struct Readout {
    static constexpr int kMaxRows = 4;
    static constexpr int kMaxColumns = 11;
    int rows = 0;
    int columns = 0;
    QString cell[kMaxRows][kMaxColumns];
};
void MakeReadout(const ReadoutInput& in, Readout& out);
// One row as a line of text for a status line: the cells after the first, each value
// preceded by its channel ("光标1  #120  12.000s  AI0 1.234 V  AI1 ...").
QString ReadoutLine(const Readout& r, const ReadoutInput& in, int row);

} // namespace nuv::measure
