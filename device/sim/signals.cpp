// What the simulated terminals carry and how the simulated converter turns it into readings.
//
// Signal chain of one channel: input (generated signal, calibrator level or a value fixed by a
// test) -> converter error (per-channel offset and gain error) -> calibration (offset, gain)
// -> for thermocouples cold-junction compensation -> raw code -> Value = RangeMin + Code * CodeStep.
#include "device/sim/simcore.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mdqsim {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double triangle(double t, double period)
{
    const double f = t / period - std::floor(t / period);
    return f < 0.5 ? 4.0 * f - 1.0 : 3.0 - 4.0 * f;
}

// Each channel draws a different shape in [-1, 1] so an operator can tell them apart.
double shape(int channel, double t)
{
    switch (channel) {
    case 0: return std::sin(kTwoPi * t / 30.0);
    case 1: return std::sin(kTwoPi * t / 60.0 + 1.0);
    case 2: return 2.0 * (t / 45.0 - std::floor(t / 45.0)) - 1.0;          // ramp
    case 3: return 0.6 * std::sin(kTwoPi * t / 300.0) + 0.3 * std::sin(kTwoPi * t / 77.0 + 2.0);  // drift
    case 4: return std::sin(kTwoPi * t / 20.0);
    case 5: return triangle(t, 40.0);
    case 6: return 0.5 * std::sin(kTwoPi * t / 90.0) + 0.4 * std::sin(kTwoPi * t / 13.0);
    default: return std::sin(kTwoPi * t / 15.0 + 0.5);
    }
}

// Deterministic noise in [-1, 1]: repeatable runs, but no visible pattern.
double noise(uint32_t serial, int channel, double t)
{
    uint64_t x = uint64_t(int64_t(std::floor(t * 1000.0))) * 0x9E3779B97F4A7C15ull ^
                 (uint64_t(serial) << 8 | uint64_t(channel)) * 0xC2B2AE3D27D4EB4Full;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    return double(x >> 11) / double(1ull << 53) * 2.0 - 1.0;
}

// Hot-junction temperature of a thermocouple channel: a process near its set point.
double processCelsius(int channel, double t)
{
    return 130.0 + 30.0 * channel + 30.0 * shape(channel, t);   // 100..370 degC
}

double cjcReading(const Module& m, double simT)
{
    return ambientCelsius(m, simT) + m.cjcCorrection;
}
} // namespace

double ambientCelsius(const Module& m, double simT)
{
    const double t = simT - m.simEpoch;
    return 25.0 + 0.2 * (m.index % 3) + 0.3 * std::sin(t / 600.0);
}

double channelInput(const Module& m, int channel, uint32_t code, double simT, bool* noisy)
{
    const RangeDef& r = rangeDef(code);
    const double t = simT - m.simEpoch;
    const double fixed = m.fixedInput[size_t(channel)];
    *noisy = false;
    if (!std::isnan(fixed))   // a test fixed the terminals: volts/mV/mA, thermocouples degC
        return isThermocouple(code) ? (fixed - ambientCelsius(m, simT)) * r.seebeck : fixed;
    if (m.calSelected && m.calChannel == uint32_t(channel) && m.calRange == code)
        return m.calLevel;    // the calibrator is connected
    *noisy = true;
    if (isThermocouple(code))
        return (processCelsius(channel, t) - ambientCelsius(m, simT)) * r.seebeck;
    if (r.unit == 2)          // both current ranges see a 4..20 mA loop
        return 12.0 + 7.0 * shape(channel, t);
    return 0.8 * inputFullScale(code) * shape(channel, t);
}

double measureInput(const Module& m, int channel, uint32_t code, double input)
{
    // Converter error of this unit: a few hundred ppm of full scale, different per channel.
    const double fs = inputFullScale(code);
    const double offsetError = fs * 0.0004 * (channel - 3.5) * (1.0 + 0.1 * (m.serial % 3));
    const double gainError = 0.0008 * double(int((uint32_t(channel) * 5 + m.serial) % 7) - 3);
    return input * (1.0 + gainError) + offsetError;
}

ChannelReading readChannel(const Module& m, int channel, uint32_t code, double simT)
{
    ChannelReading rd{};
    rd.ReadingRange = code;
    if (code >= kRanges)
        return rd;
    const RangeDef& r = rangeDef(code);
    const double step = codeStep(code);
    const bool calibrating = m.calSelected && m.calChannel == uint32_t(channel);
    const bool broken = isThermocouple(code) && channel == m.brokenChannel && !calibrating &&
                        std::isnan(m.fixedInput[size_t(channel)]);

    double code01;
    if (broken) {
        // An open thermocouple drives the input up-scale.
        rd.BreakState = 1;
        code01 = 65535.0;
    } else {
        bool noisy = false;
        double x = measureInput(m, channel, code, channelInput(m, channel, code, simT, &noisy));
        if (noisy)
            x += 0.0005 * inputFullScale(code) * noise(m.serial, channel, simT);
        const CalEntry& cal = m.cal[size_t(channel)][code];
        x = (x - cal.offset) * cal.gain;
        const double value = isThermocouple(code) ? cjcReading(m, simT) + x / r.seebeck : x;
        code01 = std::round((value - r.min) / step);
    }
    rd.Code = uint16_t(std::clamp(code01, 0.0, 65535.0));
    rd.Value = float(r.min + rd.Code * step);
    return rd;
}

} // namespace mdqsim
