// Module enumeration, handles and identity queries.
#include "device/sim/simcore.h"

#include <cstdio>
#include <cstring>
#include <mutex>

using namespace mdqsim;

namespace {
// The identity queries share one shape: valid module, injected fault bit, output pointers.
template <typename F>
int32_t infoQuery(const char* call, MDQ4170_HANDLE h, uint32_t faultBit, bool outputsGiven, F fill)
{
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (!outputsGiven)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER, moduleName(*m.module) + ": no output given");
    if (m->faults.infoFailMask & (1u << faultBit))
        return fail(call, MDQ4170_ERROR_READ_FAULT, moduleName(*m.module) + ": the module did not answer");
    fill(*m.module);
    return 1;
}

// The selection dialog probes all 127 indices one after another. One line per sweep says
// where the attached modules end; the indices after it in the same sweep are not logged.
std::mutex g_sweepMutex;
int64_t g_lastMissing = -2;
Clock::time_point g_lastMissingAt;

void missingIndex(const char* call, uint32_t index)
{
    const auto now = Clock::now();
    bool log;
    {
        std::lock_guard lock(g_sweepMutex);
        log = int64_t(index) != g_lastMissing + 1 || now - g_lastMissingAt > std::chrono::seconds(2);
        g_lastMissing = index;
        g_lastMissingAt = now;
    }
    if (log)
        logLine(call, "no module at index " + std::to_string(index) + " (" + std::to_string(moduleCount()) +
                          " attached); the next indices of this sweep are not logged");
    setLastError(MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
}

void endSweep()
{
    std::lock_guard lock(g_sweepMutex);
    g_lastMissing = -2;
}
} // namespace

extern "C" {

MDQ4170_API uint32_t MDQ4170_DEV_GetCount(void)
{
    setLastError(MDQ4170_ERROR_SUCCESS);
    return moduleCount();
}

MDQ4170_API MDQ4170_HANDLE MDQ4170_DEV_Create(uint32_t index, uint32_t reserved)
{
    static const char* const call = "MDQ4170_DEV_Create";
    setLastError(MDQ4170_ERROR_SUCCESS);
    std::shared_ptr<Module> m = moduleAt(index);
    if (!m) {
        missingIndex(call, index);
        return MDQ4170_INVALID_HANDLE;
    }
    endSweep();
    {
        std::lock_guard lock(m->mutex);
        if (m->faults.unplugged) {
            fail(call, MDQ4170_ERROR_DEVICE_NOT_CONNECTED, moduleName(*m) + " is not connected");
            return MDQ4170_INVALID_HANDLE;
        }
    }
    const MDQ4170_HANDLE h = addHandle(m);
    if (h == MDQ4170_INVALID_HANDLE) {   // a Reset raced us
        fail(call, MDQ4170_ERROR_DEVICE_NOT_CONNECTED, moduleName(*m) + " is not connected");
        return h;
    }
    std::lock_guard lock(m->mutex);
    ++m->handles;
    return h;
}

MDQ4170_API int32_t MDQ4170_DEV_Release(MDQ4170_HANDLE h)
{
    static const char* const call = "MDQ4170_DEV_Release";
    setLastError(MDQ4170_ERROR_SUCCESS);
    std::shared_ptr<Module> m;
    if (!removeHandle(h, &m)) {
        char text[64];
        std::snprintf(text, sizeof text, "handle 0x%08X is not a valid module handle", unsigned(h));
        return fail(call, MDQ4170_ERROR_INVALID_HANDLE, text);
    }
    std::lock_guard lock(m->mutex);
    // The handle is gone either way; an unplugged module only makes the call report it.
    if (--m->handles <= 0) {
        m->handles = 0;
        if (m->taskActive) {    // closing the module ends its task, as the driver does
            m->taskActive = false;
            ++m->taskGeneration;
            m->wake.notify_all();
        }
    }
    if (m->detached || m->faults.unplugged)
        return fail(call, MDQ4170_ERROR_DEVICE_NOT_CONNECTED, moduleName(*m) + " is not connected");
    return 1;
}

MDQ4170_API int32_t MDQ4170_DEV_GetSpeed(MDQ4170_HANDLE h, uint32_t* speed)
{
    return infoQuery("MDQ4170_DEV_GetSpeed", h, 0, speed != nullptr, [&](const Module&) { *speed = 2; });
}

MDQ4170_API int32_t MDQ4170_DEV_GetPhysIdx(MDQ4170_HANDLE h, uint32_t* physIdx)
{
    return infoQuery("MDQ4170_DEV_GetPhysIdx", h, 1, physIdx != nullptr,
                     [&](const Module& m) { *physIdx = m.physIdx; });
}

MDQ4170_API int32_t MDQ4170_DEV_GetVersion(MDQ4170_HANDLE h, uint32_t* libVersion, uint32_t* drvVersion,
                                           uint32_t* fwVersion)
{
    return infoQuery("MDQ4170_DEV_GetVersion", h, 2, libVersion && drvVersion && fwVersion,
                     [&](const Module& m) {
                         *libVersion = m.libVersion;
                         *drvVersion = m.drvVersion;
                         *fwVersion = m.fwVersion;
                     });
}

MDQ4170_API int32_t MDQ4170_DEV_GetSerialNum(MDQ4170_HANDLE h, uint32_t* serial)
{
    return infoQuery("MDQ4170_DEV_GetSerialNum", h, 3, serial != nullptr,
                     [&](const Module& m) { *serial = m.serial; });
}

MDQ4170_API int32_t MDQ4170_DEV_GetUserPID(MDQ4170_HANDLE h, char pid[16])
{
    return infoQuery("MDQ4170_DEV_GetUserPID", h, 4, pid != nullptr,
                     [&](const Module& m) { std::memcpy(pid, m.userPid.data(), 16); });
}

} // extern "C"
