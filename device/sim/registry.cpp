// The attached simulated modules, their handles, the simulated clock and the settings taken
// from the environment.
#include "device/sim/simcore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace mdqsim {

namespace {
constexpr uint32_t kMaxModules = 127;   // what the program probes; more is not a USB bus
constexpr int32_t kHandleBase = 0x41700000;

// A variable holding "value" (all modules) and/or "index:value" items, comma separated.
struct EnvSetting {
    std::optional<std::string> all;
    std::map<uint32_t, std::string> perIndex;
    std::optional<std::string> forIndex(uint32_t i) const
    {
        auto it = perIndex.find(i);
        return it != perIndex.end() ? std::optional(it->second) : all;
    }
};

EnvSetting readSetting(const char* name)
{
    EnvSetting s;
    const char* v = std::getenv(name);
    if (!v)
        return s;
    std::string text(v);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = text.substr(start, end - start);
        const size_t colon = item.find(':');
        if (colon != std::string::npos)
            s.perIndex[uint32_t(std::strtoul(item.substr(0, colon).c_str(), nullptr, 0))] = item.substr(colon + 1);
        else if (!item.empty())
            s.all = item;
        start = end + 1;
    }
    return s;
}

std::optional<int64_t> toInt(const std::optional<std::string>& s)
{
    if (!s || s->empty())
        return std::nullopt;
    char* end = nullptr;
    const long long v = std::strtoll(s->c_str(), &end, 0);
    if (end == s->c_str())
        return std::nullopt;
    return v;
}

struct EnvModuleSettings {
    EnvSetting unplugAfter, readFail, readTimeout, cjcFail, cjcTimeout, initFail, releaseFail, infoFail, dioFail, broken;
    std::vector<uint32_t> unplugged;
};

struct Registry {
    std::mutex mutex;
    bool initialised = false;
    std::vector<std::shared_ptr<Module>> modules;
    std::unordered_map<int32_t, std::shared_ptr<Module>> handles;
    uint32_t nextHandle = 1;
    int64_t writeLimit = -1;
    int64_t freeBytes = -1;
    EnvModuleSettings env;
};

Registry& reg()
{
    static Registry r;
    return r;
}

// ---- simulated clock: rebased whenever the scale changes so simulated time stays continuous
std::mutex g_clockMutex;
Clock::time_point g_realBase = Clock::now();
double g_simBase = 0.0;
double g_scale = 1.0;

void setScaleLocked(double scale)
{
    const auto now = Clock::now();
    g_simBase += std::chrono::duration<double>(now - g_realBase).count() / g_scale;
    g_realBase = now;
    g_scale = scale;
}

void applyEnv(Module& m, const EnvModuleSettings& env)
{
    auto count = [&](const EnvSetting& s, int64_t* after) {
        if (auto v = toInt(s.forIndex(m.index)))
            *after = *v;
    };
    count(env.unplugAfter, &m.faults.unplugAfter);
    count(env.readFail, &m.faults.readFailAfter);
    if (auto v = toInt(env.readTimeout.forIndex(m.index))) {
        m.faults.readFailAfter = *v;
        m.faults.readTimeout = *v >= 0;
    }
    count(env.cjcFail, &m.faults.cjcFailAfter);
    if (auto v = toInt(env.cjcTimeout.forIndex(m.index))) {
        m.faults.cjcFailAfter = *v;
        m.faults.cjcTimeout = *v >= 0;
    }
    m.faults.initFail = toInt(env.initFail.forIndex(m.index)).value_or(0) != 0;
    m.faults.releaseFail = toInt(env.releaseFail.forIndex(m.index)).value_or(0) != 0;
    m.faults.infoFailMask = uint32_t(toInt(env.infoFail.forIndex(m.index)).value_or(0));
    m.faults.dioFailMask = uint32_t(toInt(env.dioFail.forIndex(m.index)).value_or(0));
    if (auto v = toInt(env.broken.forIndex(m.index)))
        m.brokenChannel = (*v >= 0 && *v < kChannels) ? int32_t(*v) : -1;
    for (uint32_t i : env.unplugged)
        if (i == m.index)
            m.faults.unplugged = true;
    if (m.faults.unplugAfter == 0)
        m.faults.unplugged = true;
    if (m.faults.unplugAfter <= 0)
        m.faults.unplugAfter = -1;
}

std::shared_ptr<Module> makeModule(uint32_t index, const EnvModuleSettings& env)
{
    auto m = std::make_shared<Module>();
    m->index = index;
    m->serial = 41700001u + index;
    m->physIdx = index;
    m->libVersion = 104;
    m->drvVersion = 203;
    m->fwVersion = 310 + index;
    m->realEpoch = Clock::now();
    m->simEpoch = simSeconds(m->realEpoch);
    char pid[17];
    std::snprintf(pid, sizeof pid, "NUV-SIM-%04u-%03u", m->serial % 10000u, index % 1000u);
    std::memcpy(m->userPid.data(), pid, 16);
    applyEnv(*m, env);
    loadCalibration(*m);
    return m;
}

void detach(const std::shared_ptr<Module>& m)
{
    std::lock_guard lock(m->mutex);
    m->detached = true;
    m->taskActive = false;
    ++m->taskGeneration;
    m->wake.notify_all();
}

void setCountLocked(Registry& r, uint32_t count)
{
    count = std::min(count, kMaxModules);
    while (r.modules.size() > count) {
        detach(r.modules.back());
        r.modules.pop_back();
    }
    while (r.modules.size() < count)
        r.modules.push_back(makeModule(uint32_t(r.modules.size()), r.env));
}

// (Re)reads the environment and builds fresh modules. Called with r.mutex held.
void initLocked(Registry& r)
{
    refreshPaths();
    for (auto& m : r.modules)
        detach(m);
    r.modules.clear();
    r.handles.clear();

    double scale = 1.0;
    if (const char* text = std::getenv("MDQ4170_SIM_TIMESCALE")) {
        // from_chars: the program may have switched to a locale with a decimal comma.
        double s = 0.0;
        const auto parsed = std::from_chars(text, text + std::strlen(text), s);
        if (parsed.ec == std::errc() && std::isfinite(s) && s > 0)
            scale = s;
    }
    {
        std::lock_guard clock(g_clockMutex);
        setScaleLocked(scale);
    }
    r.writeLimit = toInt(readSetting("MDQ4170_SIM_WRITE_LIMIT").all).value_or(-1);
    r.freeBytes = toInt(readSetting("MDQ4170_SIM_FREE_BYTES").all).value_or(-1);

    EnvModuleSettings env;
    env.unplugAfter = readSetting("MDQ4170_SIM_UNPLUG_AFTER");
    env.readFail = readSetting("MDQ4170_SIM_READ_FAIL_AFTER");
    env.readTimeout = readSetting("MDQ4170_SIM_READ_TIMEOUT_AFTER");
    env.cjcFail = readSetting("MDQ4170_SIM_CJC_FAIL_AFTER");
    env.cjcTimeout = readSetting("MDQ4170_SIM_CJC_TIMEOUT_AFTER");
    env.initFail = readSetting("MDQ4170_SIM_INIT_FAIL");
    env.releaseFail = readSetting("MDQ4170_SIM_RELEASE_FAIL");
    env.infoFail = readSetting("MDQ4170_SIM_INFO_FAIL");
    env.dioFail = readSetting("MDQ4170_SIM_DIO_FAIL");
    env.broken = readSetting("MDQ4170_SIM_BROKEN_CHANNEL");
    if (const char* u = std::getenv("MDQ4170_SIM_UNPLUG")) {
        for (const char* p = u; *p;) {
            char* end = nullptr;
            const unsigned long i = std::strtoul(p, &end, 0);
            if (end == p)
                break;
            env.unplugged.push_back(uint32_t(i));
            p = *end == ',' ? end + 1 : end;
        }
    }
    r.env = env;

    int64_t count = toInt(readSetting("MDQ4170_SIM_MODULES").all).value_or(1);
    setCountLocked(r, uint32_t(std::clamp<int64_t>(count, 0, kMaxModules)));
    r.initialised = true;
}

Registry& ready()
{
    Registry& r = reg();
    std::lock_guard lock(r.mutex);
    if (!r.initialised)
        initLocked(r);
    return r;
}

} // namespace

Module::Module()
{
    fixedInput.fill(std::numeric_limits<double>::quiet_NaN());
}

double simSeconds(Clock::time_point t)
{
    std::lock_guard lock(g_clockMutex);
    return g_simBase + std::chrono::duration<double>(t - g_realBase).count() / g_scale;
}

double timeScale()
{
    std::lock_guard lock(g_clockMutex);
    return g_scale;
}

std::string moduleName(const Module& m)
{
    return "module " + std::to_string(m.index) + " (serial " + std::to_string(m.serial) + ")";
}

void unplugLocked(Module& m)
{
    m.faults.unplugged = true;
    m.faults.unplugAfter = -1;
    m.taskActive = false;
    ++m.taskGeneration;
    m.wake.notify_all();
}

std::shared_ptr<Module> moduleAt(uint32_t index)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    return index < r.modules.size() ? r.modules[index] : nullptr;
}

uint32_t moduleCount()
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    return uint32_t(r.modules.size());
}

MDQ4170_HANDLE addHandle(const std::shared_ptr<Module>& m)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    if (m->detached)
        return MDQ4170_INVALID_HANDLE;
    // Handles look nothing like indices and are not reused soon after a release.
    MDQ4170_HANDLE h;
    do {
        h = kHandleBase + int32_t(r.nextHandle);
        r.nextHandle = r.nextHandle % 0xFFFFu + 1u;
    } while (r.handles.count(h));
    r.handles.emplace(h, m);
    return h;
}

bool removeHandle(MDQ4170_HANDLE h, std::shared_ptr<Module>* m)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    auto it = r.handles.find(h);
    if (it == r.handles.end())
        return false;
    *m = it->second;
    r.handles.erase(it);
    return true;
}

int32_t handleIndex(MDQ4170_HANDLE h)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    auto it = r.handles.find(h);
    return it == r.handles.end() || it->second->detached ? -1 : int32_t(it->second->index);
}

Locked checkModule(const char* call, MDQ4170_HANDLE h)
{
    std::shared_ptr<Module> m;
    {
        Registry& r = ready();
        std::lock_guard lock(r.mutex);
        auto it = r.handles.find(h);
        if (it != r.handles.end())
            m = it->second;
    }
    if (!m) {
        char text[64];
        std::snprintf(text, sizeof text, "handle 0x%08X is not a valid module handle", unsigned(h));
        fail(call, MDQ4170_ERROR_INVALID_HANDLE, text);
        return {};
    }
    std::unique_lock lock(m->mutex);
    if (m->detached || m->faults.unplugged) {
        fail(call, MDQ4170_ERROR_DEVICE_NOT_CONNECTED, moduleName(*m) + " is not connected");
        return {};
    }
    return Locked{std::move(m), std::move(lock)};
}

int64_t fileWriteLimit()
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    return r.writeLimit;
}

int64_t freeBytesOverride()
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    return r.freeBytes;
}

void resetModules()
{
    Registry& r = reg();
    std::lock_guard lock(r.mutex);
    initLocked(r);
}

void ensureModules()
{
    ready();
}

void setModuleCount(uint32_t count)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    setCountLocked(r, count);
    for (auto it = r.handles.begin(); it != r.handles.end();)
        it = it->second->detached ? r.handles.erase(it) : std::next(it);
}

void setTimeScale(double scale)
{
    ready();
    std::lock_guard lock(g_clockMutex);
    setScaleLocked(scale);
}

void setFileWriteLimit(int64_t bytes)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    r.writeLimit = bytes < 0 ? -1 : bytes;
}

void setFreeBytesOverride(int64_t bytes)
{
    Registry& r = ready();
    std::lock_guard lock(r.mutex);
    r.freeBytes = bytes < 0 ? -1 : bytes;
}

} // namespace mdqsim
