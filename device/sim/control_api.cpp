// The control interface of mdq4170_sim.h: module count, time scale, faults and fixed inputs
// switched at run time, and the registry's state for tests.
#include "device/mdq4170_sim.h"
#include "device/sim/simcore.h"

#include <cmath>
#include <cstring>
#include <deque>

namespace mdqsim {
namespace {
// Runs `f` on the module at `index` with its lock held; unknown indices are ignored.
template <typename F>
void withModule(uint32_t index, F f)
{
    if (auto m = moduleAt(index)) {
        std::lock_guard lock(m->mutex);
        f(*m);
    }
}

const char* intern(std::string s)
{
    // Earlier answers stay valid: a caller may still hold one after a Reset.
    static std::mutex mutex;
    static std::deque<std::string> kept;
    std::lock_guard lock(mutex);
    for (const auto& k : kept)
        if (k == s)
            return k.c_str();
    kept.push_back(std::move(s));
    return kept.back().c_str();
}
} // namespace
} // namespace mdqsim

using namespace mdqsim;

extern "C" {

MDQ4170_API void MDQ4170SIM_Reset(void)
{
    resetModules();
    closeAllFiles();
}

MDQ4170_API void MDQ4170SIM_SetModuleCount(uint32_t count)
{
    setModuleCount(count);
}

MDQ4170_API void MDQ4170SIM_SetTimeScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    setTimeScale(scale);
}

MDQ4170_API void MDQ4170SIM_SetUnplugged(uint32_t index, int unplugged)
{
    withModule(index, [&](Module& m) {
        m.faults.unplugAfter = -1;
        if (unplugged)
            unplugLocked(m);
        else
            m.faults.unplugged = false;
    });
}

MDQ4170_API void MDQ4170SIM_UnplugAfter(uint32_t index, int64_t reads)
{
    withModule(index, [&](Module& m) {
        m.faults.unplugAfter = reads > 0 ? reads : -1;
        if (reads == 0)
            unplugLocked(m);
    });
}

MDQ4170_API void MDQ4170SIM_FailReadAfter(uint32_t index, int64_t reads, int timeout)
{
    withModule(index, [&](Module& m) {
        m.faults.readFailAfter = reads < 0 ? -1 : reads;
        m.faults.readTimeout = timeout != 0;
    });
}

MDQ4170_API void MDQ4170SIM_FailCJCAfter(uint32_t index, int64_t reads, int timeout)
{
    withModule(index, [&](Module& m) {
        m.faults.cjcFailAfter = reads < 0 ? -1 : reads;
        m.faults.cjcTimeout = timeout != 0;
    });
}

MDQ4170_API void MDQ4170SIM_FailInitTask(uint32_t index, int fail)
{
    withModule(index, [&](Module& m) { m.faults.initFail = fail != 0; });
}

MDQ4170_API void MDQ4170SIM_FailReleaseTask(uint32_t index, int fail)
{
    withModule(index, [&](Module& m) { m.faults.releaseFail = fail != 0; });
}

MDQ4170_API void MDQ4170SIM_FailInfoQueries(uint32_t index, uint32_t mask)
{
    withModule(index, [&](Module& m) { m.faults.infoFailMask = mask; });
}

MDQ4170_API void MDQ4170SIM_FailDIO(uint32_t index, uint32_t mask)
{
    withModule(index, [&](Module& m) { m.faults.dioFailMask = mask; });
}

MDQ4170_API void MDQ4170SIM_SetBrokenChannel(uint32_t index, int32_t channel)
{
    withModule(index, [&](Module& m) { m.brokenChannel = (channel >= 0 && channel < kChannels) ? channel : -1; });
}

MDQ4170_API void MDQ4170SIM_SetUserPID(uint32_t index, const char pid[16])
{
    if (!pid)
        return;
    withModule(index, [&](Module& m) { std::memcpy(m.userPid.data(), pid, 16); });
}

MDQ4170_API void MDQ4170SIM_SetChannelInput(uint32_t index, uint32_t channel, double value)
{
    if (channel >= uint32_t(kChannels))
        return;
    withModule(index, [&](Module& m) { m.fixedInput[channel] = value; });
}

MDQ4170_API void MDQ4170SIM_SetFileWriteLimit(int64_t bytes)
{
    setFileWriteLimit(bytes);
}

MDQ4170_API void MDQ4170SIM_SetFreeBytesOverride(int64_t bytes)
{
    setFreeBytesOverride(bytes);
}

MDQ4170_API int32_t MDQ4170SIM_HandleIndex(MDQ4170_HANDLE h)
{
    return handleIndex(h);
}

MDQ4170_API int32_t MDQ4170SIM_TaskActive(uint32_t index)
{
    int32_t active = 0;
    withModule(index, [&](Module& m) { active = m.taskActive ? 1 : 0; });
    return active;
}

MDQ4170_API int64_t MDQ4170SIM_ReadCount(uint32_t index)
{
    int64_t n = 0;
    withModule(index, [&](Module& m) { n = m.readCount; });
    return n;
}

MDQ4170_API const char* MDQ4170SIM_LogPath(void)
{
    ensureModules();
    return intern(logPath());
}

MDQ4170_API const char* MDQ4170SIM_StorePath(void)
{
    ensureModules();
    return intern(storeDir());
}

} // extern "C"
