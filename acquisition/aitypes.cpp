#include "acquisition/aitypes.h"

#include <array>

namespace nuv {

const QString& RangeName(int code)
{
    static const std::array<QString, kRangeCount> names = {
        QStringLiteral("-50～+50mV"),
        QStringLiteral("-100 ～ +100mV"),
        QStringLiteral("-500 ～ +500mV"),
        QStringLiteral("-1 ～ +1V"),
        QStringLiteral("-2.5 ～ +2.5V"),
        QStringLiteral("-5.0 ～ +5.0V"),
        QStringLiteral("-10.0 ～ +10.0V"),
        QStringLiteral("-20 ～ +20mA"),
        QStringLiteral("4 ～ +20mA"),
        QStringLiteral("J型(0～1200℃)"),
        QStringLiteral("K型(0～1300℃)"),
        QStringLiteral("T型(-200～400℃)"),
        QStringLiteral("E型(0～1000℃)"),
        QStringLiteral("R型(0～1700℃)"),
        QStringLiteral("S型(0～1768℃)"),
        QStringLiteral("B型(0～1800℃)"),
    };
    static const QString empty;
    return (code >= 0 && code < kRangeCount) ? names[size_t(code)] : empty;
}

Unit RangeUnit(uint32_t code)
{
    if (code <= 2)
        return Unit::MilliVolt;
    if (code <= 6)
        return Unit::Volt;
    if (code <= 8)
        return Unit::MilliAmp;
    if (code <= 15)
        return Unit::Celsius;
    return Unit::Volt;
}

QString UnitText(Unit u)
{
    switch (u) {
    case Unit::MilliVolt: return QStringLiteral("mV");
    case Unit::Volt: return QStringLiteral("V");
    case Unit::MilliAmp: return QStringLiteral("mA");
    case Unit::Celsius: return QStringLiteral("℃");
    }
    return QStringLiteral("V");
}

RangeInfo NominalRangeInfo(uint32_t code)
{
    struct Limits {
        double min, max;
    };
    static constexpr Limits kLimits[kRangeCount] = {
        {-50.0, 50.0}, {-100.0, 100.0}, {-500.0, 500.0},             // mV
        {-1.0, 1.0},   {-2.5, 2.5},     {-5.0, 5.0},   {-10.0, 10.0}, // V
        {-20.0, 20.0}, {4.0, 20.0},                                   // mA
        {0.0, 1200.0}, {0.0, 1300.0},   {-200.0, 400.0}, {0.0, 1000.0}, // J K T E
        {0.0, 1700.0}, {0.0, 1768.0},   {0.0, 1800.0},                // R S B
    };
    RangeInfo info{};
    if (code >= uint32_t(kRangeCount))
        return info;
    const Limits& l = kLimits[code];
    info.RangeCode = code;
    info.Unit = uint32_t(RangeUnit(code));
    info.RangeMax = l.max;
    info.RangeMin = l.min;
    info.RangeSpan = l.max - l.min;
    info.CodeStep = info.RangeSpan / 65536.0;
    return info;
}

RangeInfo DisplayRangeInfo(MDQ4170_HANDLE device, uint32_t code)
{
    RangeInfo info{};
    if (MDQ4170_AI_GetRangeInfo(device, code, &info) != 0)
        return info;
    return NominalRangeInfo(code);
}

int EnabledChannels(const AIParam& p, int out[kChannels])
{
    int n = 0;
    for (uint32_t k = 0; k < uint32_t(kChannels); ++k)
        if (IsChannelEnabled(p, k))
            out[n++] = int(k);
    return n;
}

AIParam DefaultAIParam()
{
    AIParam p{};
    p.FirstChannel = 0;
    p.ChannelCount = 8;
    return p;
}

} // namespace nuv
