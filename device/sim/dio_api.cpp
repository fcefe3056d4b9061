// Digital lines. Port 1: eight output latches, all 0 after Reset. Port 0: eight inputs wired
// so an operator sees them move: DI k = DO k XOR bit k of a counter that advances every
// 500 ms of real time since the module appeared (DI0 blinks at 1 Hz, DI1 at 0.5 Hz, ...).
#include "device/sim/simcore.h"

using namespace mdqsim;

namespace {
constexpr uint32_t kFailReadLines0 = 1u << 0;
constexpr uint32_t kFailReadLines1 = 1u << 1;
constexpr uint32_t kFailReadLine = 1u << 2;
constexpr uint32_t kFailWriteLine = 1u << 3;

uint32_t lineState(const Module& m, uint32_t port, uint32_t line)
{
    if (port == 1)
        return m.doLatch[line];
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m.realEpoch).count() / 500;
    return m.doLatch[line] ^ uint32_t((uint64_t(ticks) >> line) & 1u);
}

int32_t injected(const char* call, const Module& m)
{
    return fail(call, MDQ4170_ERROR_READ_FAULT, moduleName(m) + ": digital port did not answer (injected fault)");
}
} // namespace

extern "C" {

MDQ4170_API int32_t MDQ4170_DIO_ReadLines(MDQ4170_HANDLE h, uint32_t port, uint32_t states[8])
{
    static const char* const call = "MDQ4170_DIO_ReadLines";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (port > 1 || !states)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    moduleName(*m.module) + ": port " + std::to_string(port) + " is not 0 or 1");
    if (m->faults.dioFailMask & (port == 0 ? kFailReadLines0 : kFailReadLines1))
        return injected(call, *m.module);
    for (uint32_t line = 0; line < 8; ++line)
        states[line] = lineState(*m.module, port, line);
    return 1;
}

MDQ4170_API int32_t MDQ4170_DIO_ReadLine(MDQ4170_HANDLE h, uint32_t port, uint32_t line, uint32_t* state)
{
    static const char* const call = "MDQ4170_DIO_ReadLine";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (port > 1 || line > 7 || !state)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    moduleName(*m.module) + ": port " + std::to_string(port) + " line " + std::to_string(line) +
                        " does not exist");
    if (m->faults.dioFailMask & kFailReadLine)
        return injected(call, *m.module);
    *state = lineState(*m.module, port, line);
    return 1;
}

MDQ4170_API int32_t MDQ4170_DIO_WriteLine(MDQ4170_HANDLE h, uint32_t port, uint32_t line, uint32_t state)
{
    static const char* const call = "MDQ4170_DIO_WriteLine";
    setLastError(MDQ4170_ERROR_SUCCESS);
    Locked m = checkModule(call, h);
    if (!m)
        return 0;
    if (port != 1 || line > 7)
        return fail(call, MDQ4170_ERROR_INVALID_PARAMETER,
                    moduleName(*m.module) + ": port " + std::to_string(port) + " line " + std::to_string(line) +
                        " is not an output");
    if (m->faults.dioFailMask & kFailWriteLine)
        return fail(call, MDQ4170_ERROR_WRITE_FAULT,
                    moduleName(*m.module) + ": digital port did not answer (injected fault)");
    m->doLatch[line] = state ? 1u : 0u;
    return 1;
}

} // extern "C"
