// Internals of the substitute device library: the simulated module, the registry that owns
// the modules and handles, and the helpers every exported call uses. Nothing here is exported.
#pragma once

#include "device/mdq4170.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace mdqsim {

using Clock = std::chrono::steady_clock;

constexpr int kChannels = 8;
constexpr int kRanges = 16;

// ---- last error and log (log.cpp) ----
void setLastError(uint32_t code);
uint32_t lastError();
// Appends "<date> <call>: <reason>" to the log; never fails the caller.
void logLine(const char* call, const std::string& reason);
// Sets the last error, logs and returns 0: the common tail of every failing call.
int32_t fail(const char* call, uint32_t code, const std::string& reason);

// ---- ranges (ranges.cpp) ----
struct RangeDef {
    uint32_t unit;        // 0 mV, 1 V, 2 mA, 3 degC
    double min;
    double max;
    double seebeck;       // thermocouples: mV per degC of the linearised characteristic, else 0
};
const RangeDef& rangeDef(uint32_t code);   // code must be < kRanges
inline bool isThermocouple(uint32_t code) { return code >= 9 && code < kRanges; }
inline double codeStep(uint32_t code) { const RangeDef& r = rangeDef(code); return (r.max - r.min) / 65536.0; }
// Full scale of the terminal input in the calibration unit (mV, V, mA; thermocouples mV).
double inputFullScale(uint32_t code);

// ---- simulated time (registry.cpp) ----
// Seconds of simulated time since the library was loaded; runs 1/timescale as fast as real time.
double simSeconds(Clock::time_point t);
double timeScale();

// ---- calibration record of one channel in one range ----
struct CalEntry {
    double offset = 0.0;   // in the input unit, subtracted from the measured input
    double gain = 1.0;     // factor applied after the offset
};

struct FaultSettings {
    bool unplugged = false;
    int64_t unplugAfter = -1;      // successful reads left before the module is unplugged; < 0 off
    int64_t readFailAfter = -1;    // successful reads left before ReadData fails; < 0 off
    bool readTimeout = false;
    int64_t cjcFailAfter = -1;
    bool cjcTimeout = false;
    bool initFail = false;
    bool releaseFail = false;
    uint32_t infoFailMask = 0;
    uint32_t dioFailMask = 0;
};

// One simulated module. `mutex` guards every field below it; readers of the identity fields
// (index, serial, ...) need no lock since they never change after construction.
struct Module {
    uint32_t index = 0;
    uint32_t serial = 0;
    uint32_t physIdx = 0;
    uint32_t libVersion = 0, drvVersion = 0, fwVersion = 0;
    Clock::time_point realEpoch;   // DIO pattern counts from here
    double simEpoch = 0.0;         // signals are functions of simulated time since here

    std::mutex mutex;
    std::condition_variable wake;  // interrupts a waiting read (task change, unplug, reset)

    std::atomic<bool> detached = false;  // removed by Reset or a smaller module count
    std::array<char, 16> userPid{};
    FaultSettings faults;
    int32_t brokenChannel = 7;
    int handles = 0;

    bool taskActive = false;
    uint64_t taskGeneration = 0;   // bumped on every InitTask/ReleaseTask
    AIParam task{};
    Clock::time_point lastScanEnd;
    bool scanning = false;         // lastScanEnd is meaningful
    int64_t readCount = 0;
    int64_t cjcReads = 0;

    std::array<std::array<CalEntry, kRanges>, kChannels> cal{};
    double cjcCorrection = 0.0;
    bool calSelected = false;      // a Cal_Restore chose calChannel/calRange
    uint32_t calChannel = 0, calRange = 0;
    double calLevel = 0.0;         // what the calibrator applies to calChannel, input unit
    std::array<double, kChannels> fixedInput;  // NaN: the generated signal

    std::array<uint32_t, kChannels> doLatch{};

    Module();
};

// Registry lookups. `checkModule` resolves a handle to an attached, plugged-in module and
// returns it with its mutex locked; on failure it has already called fail().
struct Locked {
    std::shared_ptr<Module> module;
    std::unique_lock<std::mutex> lock;
    explicit operator bool() const { return module != nullptr; }
    Module* operator->() const { return module.get(); }
};
Locked checkModule(const char* call, MDQ4170_HANDLE h);
std::shared_ptr<Module> moduleAt(uint32_t index);   // nullptr when index is not attached
uint32_t moduleCount();
MDQ4170_HANDLE addHandle(const std::shared_ptr<Module>& m);
bool removeHandle(MDQ4170_HANDLE h, std::shared_ptr<Module>* m);
int32_t handleIndex(MDQ4170_HANDLE h);

// Global file settings (registry.cpp).
int64_t fileWriteLimit();
int64_t freeBytesOverride();

// Registry changes of the control interface (registry.cpp, called by control_api.cpp).
void resetModules();                 // re-reads the environment and builds fresh modules
void ensureModules();                // builds the modules on first use
void setModuleCount(uint32_t count); // drops the handles of removed modules
void setTimeScale(double scale);     // scale > 0; simulated time stays continuous
void setFileWriteLimit(int64_t bytes);     // < 0: no limit
void setFreeBytesOverride(int64_t bytes);  // < 0: ask the file system
void closeAllFiles();   // file_api.cpp, used by Reset

// ---- signals (signals.cpp) ----
// The true ambient temperature at the terminals, degC.
double ambientCelsius(const Module& m, double simT);
// The input applied to `channel` in range `code` at simulated time simT, in the input unit
// (thermocouples: thermoelectric mV against the true ambient). `noisy` adds converter noise.
double channelInput(const Module& m, int channel, uint32_t code, double simT, bool* noisy);
// The converter's own offset and gain error of a channel in a range, before calibration.
double measureInput(const Module& m, int channel, uint32_t code, double input);
// One complete reading of `channel` from the current state, simulated time simT.
ChannelReading readChannel(const Module& m, int channel, uint32_t code, double simT);

// ---- persistence (store.cpp) ----
std::string storeDir();
std::string logPath();
void refreshPaths();                         // re-reads XDG variables and HOME
bool loadParam(uint32_t serial, AIParam* p, std::string* why);   // false: nothing usable stored
bool saveParam(uint32_t serial, const AIParam& p, std::string* why);
void loadCalibration(Module& m);
bool saveCalibration(const Module& m, std::string* why);

// ---- parameter rules (ai_api.cpp) ----
// Corrects `p` in place; returns the list of corrections (empty: legal).
std::string correctParam(AIParam& p);

std::string moduleName(const Module& m);   // "module 0 (serial 41700001)"
// Pulls the module out: its task ends and a waiting read wakes up. Called with m.mutex held.
void unplugLocked(Module& m);

} // namespace mdqsim
