// Shared vocabulary of the analog inputs: channels, range table, unit rule, the
// enabled-run test, raw-code conversion and the derived periods.
#pragma once

#include "device/mdq4170.h"

#include <QString>
#include <cstdint>

namespace nuv {

constexpr int kChannels = 8;
constexpr int kRangeCount = 16;
constexpr uint32_t kNoChannel = 0xFFFFFFFFu;

enum class Unit { MilliVolt, Volt, MilliAmp, Celsius };

// Range names in code order, exactly as the range lists show them.
const QString& RangeName(int code);
// Unit of a range code: 0-2 mV, 3-6 V, 7-8 mA, 9-15 degC. Codes outside 0..15 give V.
Unit RangeUnit(uint32_t code);
// "mV", "V", "mA", "℃".
QString UnitText(Unit u);
inline QString RangeUnitText(uint32_t code) { return UnitText(RangeUnit(code)); }
inline bool IsThermocouple(uint32_t code) { return code >= 9; }

// Channel k is enabled exactly when First <= k < First + Count, compared unsigned
// (a run of 0xFFFFFFFF/0 enables nothing and no channel wraps into a run).
inline bool IsChannelEnabled(const AIParam& p, uint32_t k)
{
    return p.FirstChannel <= k && uint64_t(k) < uint64_t(p.FirstChannel) + uint64_t(p.ChannelCount);
}
// Enabled channels in ascending order; returns their number (0..8).
int EnabledChannels(const AIParam& p, int out[kChannels]);

// value = RangeMin + code * CodeStep, code unsigned.
inline double CodeToValue(uint16_t code, double rangeMin, double codeStep)
{
    return rangeMin + double(code) * codeStep;
}

// Range information as the range names state it: the ends of the range, its span and
// span / 65536 per raw code step. Codes outside 0..15 give a zeroed record.
RangeInfo NominalRangeInfo(uint32_t code);
// The module's range information for a display; the nominal one when the library cannot
// answer (no module in the simulation state, an unplugged module). Not for file headers,
// which carry only what the module reported.
RangeInfo DisplayRangeInfo(MDQ4170_HANDLE device, uint32_t code);

// Minimum time between waveform notifications: the read interval, at least 100 ms.
inline float NotifyInterval(float readIntervalMs) { return readIntervalMs < 100.0f ? 100.0f : readIntervalMs; }
// Cold-junction read period: 1000 ms when the read interval is at least 500 ms, else 500 ms.
inline uint32_t CJCPeriod(float readIntervalMs) { return readIntervalMs < 500.0f ? 500u : 1000u; }

// Default record when the library has nothing stored: all channels, range 0.
AIParam DefaultAIParam();

} // namespace nuv
