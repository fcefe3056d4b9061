// Analog input: the parameter record and its store, the acquisition task, scans and the
// cold-junction temperature.
#include "device/sim/simcore.h"

#include <algorithm>
#include <cmath>

using namespace mdqsim;

namespace mdqsim {

std::string correctParam(AIParam& p)
{
    std::string changes;
    auto note = [&](const std::string& s) { changes += (changes.empty() ? "" : "; ") + s; };
    // A count of 0 enables nothing whatever FirstChannel holds (0xFFFFFFFF is the usual "none").
    if (p.ChannelCount != 0) {
        if (p.FirstChannel >= uint32_t(kChannels)) {
            const uint32_t first = uint32_t(kChannels) - std::min<uint32_t>(p.ChannelCount, kChannels);
            note("FirstChannel " + std::to_string(p.FirstChannel) + " set to " + std::to_string(first));
            p.FirstChannel = first;
        }
        if (uint64_t(p.FirstChannel) + p.ChannelCount > uint64_t(kChannels)) {
            const uint32_t count = uint32_t(kChannels) - p.FirstChannel;
            note("ChannelCount " + std::to_string(p.ChannelCount) + " cut to " + std::to_string(count));
            p.ChannelCount = count;
        }
    }
    for (int k = 0; k < kChannels; ++k)
        if (p.Range[k] >= uint32_t(kRanges)) {
            note("Range[" + std::to_string(k) + "] " + std::to_string(p.Range[k]) + " set to 0");
            p.Range[k] = 0;
        }
    return changes;
}

} // namespace mdqsim

namespace {
// Waits until `until` with the module lock released; false when the task changed, the module
// went away or was unplugged meanwhile.
bool waitScan(Locked& m, Clock::time_point until, uint64_t generation)
{
    Module& mod = *m.module;
    auto interrupted = [&] { return mod.detached || mod.faults.unplugged || mod.taskGeneration != generation; };
    mod.wake.wait_until(m.lock, until, interrupted);
    return !interrupted();
}

void endTask(Module& m)
{
    m.taskActive = false;
    m.scanning = false;
    ++m.taskGeneration;
    m.wake.notify_all();
}
} // namespace

extern "C" {

MDQ4170_API int32_t MDQ4170_AI_LoadParam(MDQ4170_HANDLE h, AIParam* param)
{
    static const char* const call = "MDQ4170_AI_LoadParam";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!param)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": no record given");
    std::string why;
    if (!loadParam(m->serial, param, &why)) {
        *param = AIParam{};
        param->FirstChannel = 0;
        param->ChannelCount = kChannels;
        if (!why.empty())
            logLine(call, moduleName(*m.module) + ": " + why);
    }
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_SaveParam(MDQ4170_HANDLE h, const AIParam* param)
{
    static const char* const call = "MDQ4170_AI_SaveParam";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!param)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": no record given");
    std::string why;
    if (!saveParam(m->serial, *param, &why))
        return fail(call, MDQ4170_ERROR_WRITE_FAULT, moduleName(*m.module) + ": " + why);
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_VerifyParam(MDQ4170_HANDLE h, AIParam* param)
{
    static const char* const call = "MDQ4170_AI_VerifyParam";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!param)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": no record given");
    const std::string changes = correctParam(*param);
    if (!changes.empty())
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": corrected " + changes);
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_InitTask(MDQ4170_HANDLE h, const AIParam* param, void* reserved)
{
    static const char* const call = "MDQ4170_AI_InitTask";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    const std::string name = moduleName(*m.module);
    if (!param)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, name + ": no record given");
    AIParam checked = *param;
    const std::string problems = correctParam(checked);
    if (!problems.empty())
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, name + ": illegal record: " + problems);
    if (param->ChannelCount == 0)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, name + ": no channel enabled");
    if (m->faults.initFail)
        return fail(call, MDQ4170_ERROR_NOT_READY, name + ": the module refused the task (injected fault)");
    endTask(*m.module);   // a second InitTask starts over; a waiting read of the old task ends
    m->task = *param;
    m->taskActive = true;
    m->calSelected = false;   // starting acquisition disconnects the calibrator
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_ReadData(MDQ4170_HANDLE h, ScanBlock* scan)
{
    static const char* const call = "MDQ4170_AI_ReadData";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    const std::string name = moduleName(*m.module);
    if (!scan)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, name + ": no scan block given");
    if (!m->taskActive)
        return fail(call, MDQ4170_ERROR_NOT_READY, name + ": no AI task initialised");

    // The module samples 10 channels per second. A caller that comes back within one scan gets
    // the scan that follows the last one without a gap, so back-to-back reads do not drift;
    // after a longer pause the module starts a fresh scan.
    const auto now = Clock::now();
    const auto duration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(0.1 * m->task.ChannelCount * timeScale()));
    Clock::time_point end = now + duration;
    if (m->scanning && now < m->lastScanEnd + duration)
        end = m->lastScanEnd + duration;
    m->lastScanEnd = end;
    m->scanning = true;
    const uint64_t generation = m->taskGeneration;

    if (m->faults.readFailAfter == 0) {
        if (!m->faults.readTimeout)
            return fail(call, MDQ4170_ERROR_READ_FAULT, name + ": reading the scan failed (injected fault)");
        waitScan(m, end, generation);
        return fail(call, MDQ4170_WAIT_TIMEOUT, name + ": no scan arrived in time (injected fault)");
    }
    if (!waitScan(m, end, generation)) {
        if (m->detached || m->faults.unplugged)
            return fail(call, MDQ4170_ERROR_DEVICE_NOT_CONNECTED, name + " was disconnected during the read");
        return fail(call, MDQ4170_ERROR_NOT_READY, name + ": the task ended during the read");
    }
    const double simT = simSeconds(end);
    for (int ch = 0; ch < kChannels; ++ch)
        scan->Channel[ch] = readChannel(*m.module, ch, m->task.Range[ch], simT);
    ++m->readCount;
    if (m->faults.readFailAfter > 0)
        --m->faults.readFailAfter;
    if (m->faults.unplugAfter > 0 && --m->faults.unplugAfter == 0) {
        unplugLocked(*m.module);   // this scan still arrives; the cable goes right after it
        logLine(call, name + " was unplugged after its last read (injected fault)");
    }
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_ReadCJCTemp(MDQ4170_HANDLE h, uint32_t* raw, double* celsius)
{
    static const char* const call = "MDQ4170_AI_ReadCJCTemp";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    const std::string name = moduleName(*m.module);
    if (!raw || !celsius)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, name + ": no output given");
    if (m->faults.cjcFailAfter == 0)
        return m->faults.cjcTimeout
                   ? fail(call, MDQ4170_WAIT_TIMEOUT, name + ": the temperature sensor did not answer (injected fault)")
                   : fail(call, MDQ4170_ERROR_READ_FAULT, name + ": reading the temperature failed (injected fault)");
    const double t = ambientCelsius(*m.module, simSeconds(Clock::now())) + m->cjcCorrection;
    *celsius = t;
    *raw = uint32_t(int32_t(std::lround(t * 16.0)));   // the sensor's word: 1/16 degC per step
    ++m->cjcReads;
    if (m->faults.cjcFailAfter > 0)
        --m->faults.cjcFailAfter;
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_ReleaseTask(MDQ4170_HANDLE h)
{
    static const char* const call = "MDQ4170_AI_ReleaseTask";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    const std::string name = moduleName(*m.module);
    // Releasing when no task runs (e.g. after a failed InitTask) is not an error: the
    // module is already in the state the caller asks for.
    if (!m->taskActive)
        return 1;
    if (m->faults.releaseFail)
        return fail(call, MDQ4170_ERROR_NOT_READY, name + ": the module did not end the task (injected fault)");
    endTask(*m.module);
    return 1;
}

MDQ4170_API int32_t MDQ4170_AI_SetCJC(MDQ4170_HANDLE h, float celsius)
{
    static const char* const call = "MDQ4170_AI_SetCJC";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    const std::string name = moduleName(*m.module);
    if (!std::isfinite(celsius) || celsius < -40.0f || celsius > 125.0f)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    name + ": reference temperature " + std::to_string(celsius) + " is outside -40..125 degC");
    m->cjcCorrection = double(celsius) - ambientCelsius(*m.module, simSeconds(Clock::now()));
    std::string why;
    if (!saveCalibration(*m.module, &why))
        return fail(call, MDQ4170_ERROR_WRITE_FAULT, name + ": " + why);
    return 1;
}

} // extern "C"
