// The sixteen input ranges and MDQ4170_AI_GetRangeInfo.
#include "device/sim/simcore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mdqsim {

namespace {
// Thermocouples are simulated with a straight-line characteristic through the type's
// thermoelectric voltage at the top of the range (mV per degC, reference junction at 0 degC).
constexpr RangeDef kRangeTable[kRanges] = {
    {0, -50.0, 50.0, 0.0},        // 0  -50..+50 mV
    {0, -100.0, 100.0, 0.0},      // 1  -100..+100 mV
    {0, -500.0, 500.0, 0.0},      // 2  -500..+500 mV
    {1, -1.0, 1.0, 0.0},          // 3  -1..+1 V
    {1, -2.5, 2.5, 0.0},          // 4  -2.5..+2.5 V
    {1, -5.0, 5.0, 0.0},          // 5  -5..+5 V
    {1, -10.0, 10.0, 0.0},        // 6  -10..+10 V
    {2, -20.0, 20.0, 0.0},        // 7  -20..+20 mA
    {2, 4.0, 20.0, 0.0},          // 8  4..20 mA
    {3, 0.0, 1200.0, 69.553 / 1200.0},            // 9  J
    {3, 0.0, 1300.0, 52.410 / 1300.0},            // 10 K
    {3, -200.0, 400.0, (20.872 + 5.603) / 600.0}, // 11 T
    {3, 0.0, 1000.0, 76.373 / 1000.0},            // 12 E
    {3, 0.0, 1700.0, 20.222 / 1700.0},            // 13 R
    {3, 0.0, 1768.0, 18.693 / 1768.0},            // 14 S
    {3, 0.0, 1800.0, 13.591 / 1800.0},            // 15 B
};
} // namespace

const RangeDef& rangeDef(uint32_t code)
{
    return kRangeTable[code < kRanges ? code : 0];
}

double inputFullScale(uint32_t code)
{
    const RangeDef& r = rangeDef(code);
    const double top = std::max(std::fabs(r.min), std::fabs(r.max));
    return isThermocouple(code) ? top * r.seebeck : top;
}

} // namespace mdqsim

using namespace mdqsim;

extern "C" MDQ4170_API int32_t MDQ4170_AI_GetRangeInfo(MDQ4170_HANDLE h, uint32_t rangeCode, RangeInfo* info)
{
    static const char* const call = "MDQ4170_AI_GetRangeInfo";
    setLastError(MDQ4170_ERROR_SUCCESS);
    // Callers use the record without checking the result, so a failure leaves zeros, not garbage.
    if (info)
        std::memset(info, 0, sizeof *info);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!info)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": no record given");
    if (rangeCode >= kRanges)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    moduleName(*m.module) + ": range code " + std::to_string(rangeCode) + " is not 0..15");
    const RangeDef& r = rangeDef(rangeCode);
    info->RangeCode = rangeCode;
    info->Unit = r.unit;
    info->RangeMax = r.max;
    info->RangeMin = r.min;
    info->RangeSpan = r.max - r.min;
    info->CodeStep = (r.max - r.min) / 65536.0;
    return 1;
}
