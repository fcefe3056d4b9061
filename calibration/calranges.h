// The calibration ranges offered by the calibration dialog, the status-list row of a
// channel and range, and the decimal conversion of the operator's numbers.
#pragma once

#include <QString>
#include <cstdint>

namespace nuv {

struct CalRange {
    const char* name;   // combo IDC_CAL_RANGE and the "Range" column (UTF-8)
    uint32_t code;      // range code sent to the library
    const char* unit;   // unit label IDC_CAL_UNIT
};

constexpr int kCalRangeCount = 11;
constexpr int kCalChannels = 8;
constexpr int kCalStatusRows = kCalChannels * kCalRangeCount;   // 88

// The eleven ranges in combo order.
const CalRange& CalRangeAt(int comboIndex);   // index must be 0..10

// Range code of a combo index; an index outside 0..10 is its own code.
uint32_t CalRangeCode(int comboIndex);
// Unit label of a combo index; "(mV)" outside 0..10.
QString CalRangeUnit(int comboIndex);
// Combo index of a range code (0..8 -> same, 13 -> 9, 14 -> 10); -1 when not offered.
int CalRangeIndex(uint32_t code);
// Status-list row of a channel and range code: 11 x channel + combo index; -1 when the
// pair has no row.
int CalStatusRow(int channel, uint32_t code);

// The leading decimal number of `text`, read as the C library reads it in the "C" locale
// (leading blanks skipped, "." as decimal point whatever the operator's locale). A text
// without a leading number gives 0 and *hasNumber = false.
double ParseLeadingDouble(const QString& text, bool* hasNumber = nullptr);

} // namespace nuv
