// Offset and gain calibration of one channel in one range.
//
// Cal_Restore selects a channel and range, resets its calibration to neutral and connects the
// simulated calibrator to that channel. Cal_Zero has the calibrator apply 0 and stores the
// measured input as the offset; Cal_Full(v) has it apply v and stores the gain that maps the
// offset-corrected measurement onto v. Readings then use (measured - offset) * gain, so a
// calibrated channel loses the converter's own offset and gain error. When a test fixed the
// channel's input (MDQ4170SIM_SetChannelInput), that input is what gets measured instead,
// which is how a wrong calibration can be provoked.
#include "device/sim/simcore.h"

#include <cmath>

using namespace mdqsim;

namespace {
double measureSelected(const Module& m)
{
    bool noisy = false;
    const int ch = int(m.calChannel);
    const double input = channelInput(m, ch, m.calRange, simSeconds(Clock::now()), &noisy);
    return measureInput(m, ch, m.calRange, input);
}

int32_t store(const char* call, Locked& m)
{
    std::string why;
    if (!saveCalibration(*m.module, &why))
        return fail(call, MDQ4170_ERROR_WRITE_FAULT, moduleName(*m.module) + ": " + why);
    return 1;
}

std::string selection(const Module& m)
{
    return moduleName(m) + " channel " + std::to_string(m.calChannel) + " range " + std::to_string(m.calRange);
}
} // namespace

extern "C" {

MDQ4170_API int32_t MDQ4170_AI_Cal_Restore(MDQ4170_HANDLE h, uint32_t channel, uint32_t rangeCode)
{
    static const char* const call = "MDQ4170_AI_Cal_Restore";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (channel >= uint32_t(kChannels) || rangeCode >= uint32_t(kRanges))
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    moduleName(*m.module) + ": channel " + std::to_string(channel) + " range " +
                        std::to_string(rangeCode) + " does not exist");
    m->cal[channel][rangeCode] = CalEntry{};
    m->calSelected = true;
    m->calChannel = channel;
    m->calRange = rangeCode;
    m->calLevel = 0.0;
    return store(call, m);
}

MDQ4170_API int32_t MDQ4170_AI_Cal_Zero(MDQ4170_HANDLE h)
{
    static const char* const call = "MDQ4170_AI_Cal_Zero";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!m->calSelected)
        return fail(call, MDQ4170_ERROR_NOT_READY, moduleName(*m.module) + ": no channel selected by Cal_Restore");
    m->calLevel = 0.0;
    const double offset = measureSelected(*m.module);
    if (std::fabs(offset) > 0.2 * inputFullScale(m->calRange))
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    selection(*m.module) + ": zero signal measures " + std::to_string(offset) +
                        ", too far from zero");
    m->cal[m->calChannel][m->calRange].offset = offset;
    return store(call, m);
}

MDQ4170_API int32_t MDQ4170_AI_Cal_Full(MDQ4170_HANDLE h, float appliedValue)
{
    static const char* const call = "MDQ4170_AI_Cal_Full";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!m->calSelected)
        return fail(call, MDQ4170_ERROR_NOT_READY, moduleName(*m.module) + ": no channel selected by Cal_Restore");
    const double fs = inputFullScale(m->calRange);
    const double applied = appliedValue;
    if (!std::isfinite(applied) || applied == 0.0 || std::fabs(applied) > 1.5 * fs)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    selection(*m.module) + ": full-scale value " + std::to_string(applied) + " is not usable");
    m->calLevel = applied;
    CalEntry& e = m->cal[m->calChannel][m->calRange];
    const double measured = measureSelected(*m.module) - e.offset;
    const double gain = std::fabs(measured) > 1e-9 * fs ? applied / measured : 0.0;
    if (!(gain >= 0.8 && gain <= 1.25))
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    selection(*m.module) + ": full-scale signal measures " + std::to_string(measured) + " for " +
                        std::to_string(applied) + ", gain out of range");
    e.gain = gain;
    return store(call, m);
}

} // extern "C"
