#include "calibration/calranges.h"

#include <cstdlib>
#include <locale.h>

namespace nuv {

namespace {
const CalRange kRanges[kCalRangeCount] = {
    {"-50～+50mV", 0, "(mV)"},
    {"-100 ～ +100mV", 1, "(mV)"},
    {"-500 ～ +500mV", 2, "(mV)"},
    {"-1 ～ +1V", 3, "(V)"},
    {"-2.5 ～ +2.5V", 4, "(V)"},
    {"-5.0 ～ +5.0V", 5, "(V)"},
    {"-10.0 ～ +10.0V", 6, "(V)"},
    {"-20 ～ +20mA", 7, "(mA)"},
    {"4 ～ +20mA", 8, "(mA)"},
    // Thermocouples are calibrated with a millivolt signal.
    {"R型(0～1700℃)", 13, "(mV)"},
    {"S型(0～1768℃)", 14, "(mV)"},
};

locale_t CLocale()
{
    // Created once, never freed: it is used until exit.
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}
} // namespace

const CalRange& CalRangeAt(int comboIndex) { return kRanges[comboIndex]; }

uint32_t CalRangeCode(int comboIndex)
{
    if (comboIndex >= 0 && comboIndex < kCalRangeCount)
        return kRanges[comboIndex].code;
    return uint32_t(comboIndex);
}

QString CalRangeUnit(int comboIndex)
{
    if (comboIndex >= 0 && comboIndex < kCalRangeCount)
        return QString::fromUtf8(kRanges[comboIndex].unit);
    return QStringLiteral("(mV)");
}

int CalRangeIndex(uint32_t code)
{
    for (int i = 0; i < kCalRangeCount; ++i)
        if (kRanges[i].code == code)
            return i;
    return -1;
}

int CalStatusRow(int channel, uint32_t code)
{
    const int j = CalRangeIndex(code);
    if (channel < 0 || channel >= kCalChannels || j < 0)
        return -1;
    return kCalRangeCount * channel + j;
}

double ParseLeadingDouble(const QString& text, bool* hasNumber)
{
    const QByteArray utf8 = text.toUtf8();
    const char* begin = utf8.constData();
    char* end = nullptr;
    const double v = strtod_l(begin, &end, CLocale());
    const bool found = end != begin;
    if (hasNumber != nullptr)
        *hasNumber = found;
    return found ? v : 0.0;
}

} // namespace nuv
