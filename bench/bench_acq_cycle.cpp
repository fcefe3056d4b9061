// The acquisition cycle's own work (everything but the device reads and the pacing) and
// the heap allocations made in it, measured on the worker thread while recording 8
// channels with the simulated module at a fast time scale. The cold-junction read, a
// device call inside the cycle, is left out of both and reported on its own.
//
// Measured from outside the worker: this program defines the device library's read calls
// and the scheduler's yield itself (the worker, linked into it, calls these; they call
// the library's and the C library's own). A cycle's work runs from the return of one
// successful MDQ4170_AI_ReadData to the entry of the next, less the time spent in the
// cold-junction read and in the pacing yield.
#include "acquisition/aidoc.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "framework/wndmsg.h"
#include "device/mdq4170_sim.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <sched.h>
#include <vector>

namespace {
thread_local uint64_t t_allocs = 0;
}

void* operator new(std::size_t n)
{
    ++t_allocs;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {
constexpr int kCycles = 3000;
using Clock = std::chrono::steady_clock;

// State of the worker thread's current cycle (touched on that thread only).
thread_local bool t_worker = false;
thread_local bool t_open = false;       // a read returned; the cycle's work runs
thread_local Clock::time_point t_start;
thread_local uint64_t t_a0 = 0;
thread_local int64_t t_outsideNs = 0;      // device and pacing time inside the open cycle
thread_local uint64_t t_outsideAllocs = 0;

int64_t g_ns[kCycles];
uint64_t g_allocs[kCycles];
uint64_t g_cjcAllocsTotal = 0;
std::atomic<int> g_n{0};

template <class F> F Real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int64_t Ns(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count();
}

// Runs `call` as time and allocations outside the cycle's own work.
template <class F> auto Outside(F call, bool cjc)
{
    const uint64_t a0 = t_allocs;
    const Clock::time_point t0 = Clock::now();
    auto result = call();
    t_outsideNs += Ns(t0, Clock::now());
    t_outsideAllocs += t_allocs - a0;
    if (cjc)
        g_cjcAllocsTotal += t_allocs - a0;
    return result;
}
} // namespace

extern "C" {

int32_t MDQ4170_AI_ReadData(MDQ4170_HANDLE h, ScanBlock* scan)
{
    static const auto real = Real<int32_t (*)(MDQ4170_HANDLE, ScanBlock*)>("MDQ4170_AI_ReadData");
    const Clock::time_point entry = Clock::now();
    const uint64_t allocs = t_allocs;
    if (t_open) {
        const int i = g_n.load(std::memory_order_relaxed);
        if (i < kCycles) {
            g_ns[i] = Ns(t_start, entry) - t_outsideNs;
            g_allocs[i] = allocs - t_a0 - t_outsideAllocs;
            g_n.store(i + 1, std::memory_order_release);
        }
    }
    t_worker = true;
    t_open = false;
    const int32_t ok = real(h, scan);
    if (ok != 0) {
        t_open = true;
        t_outsideNs = 0;
        t_outsideAllocs = 0;
        t_a0 = t_allocs;
        t_start = Clock::now();
    }
    return ok;
}

int32_t MDQ4170_AI_ReadCJCTemp(MDQ4170_HANDLE h, uint32_t* raw, double* celsius)
{
    static const auto real = Real<int32_t (*)(MDQ4170_HANDLE, uint32_t*, double*)>("MDQ4170_AI_ReadCJCTemp");
    return Outside([&] { return real(h, raw, celsius); }, true);
}

int sched_yield() noexcept
{
    static const auto real = Real<int (*)()>("sched_yield");
    if (!t_worker || !t_open)
        return real();
    return Outside([&] { return real(); }, false);
}

} // extern "C"

namespace {
class Sink : public QObject {
public:
    bool event(QEvent* e) override { return e->type() >= QEvent::User ? true : QObject::event(e); }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MDQ4170SIM_SetTimeScale(0.001);
    nuv::theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
    QTemporaryDir dir;
    auto* doc = new nuv::CAIDoc;
    doc->m_hDevice = nuv::theApp.m_hDevice;
    MDQ4170_AI_LoadParam(nuv::theApp.m_hDevice, &doc->m_Param);
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 8;
    doc->m_fReadInterval = 0.0f;
    doc->m_fNotifyInterval = 0.0f;   // a waveform notice every cycle: the most work
    doc->m_strDataFile = dir.filePath("bench.bin");
    doc->m_bSaveFile = 1;
    Sink sink;
    nuv::CWndHandle h(&sink);
    doc->m_hFrameWnd = h.get();
    doc->m_hCurveWnd = h.get();
    doc->m_hDigitWnd = h.get();
    doc->m_hParamWnd = h.get();

    doc->OnStartAcquisition();
    while (g_n.load(std::memory_order_acquire) < kCycles)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    doc->OnStopAcquisition();
    doc->WaitForWorkerIdle();

    std::vector<int64_t> ns(g_ns, g_ns + kCycles);
    std::sort(ns.begin(), ns.end());
    uint64_t allocs = 0;
    for (int i = 0; i < kCycles; ++i)
        allocs += g_allocs[i];
    std::printf("cycle work median: %.1f us (target < 50 us)\n", double(ns[kCycles / 2]) / 1000.0);
    std::printf("cycle work p99: %.1f us\n", double(ns[kCycles * 99 / 100]) / 1000.0);
    std::printf("cycle work max: %.1f us\n", double(ns.back()) / 1000.0);
    std::printf("heap allocations in %d cycles: %llu (target 0)\n", kCycles, (unsigned long long)allocs);
    std::printf("heap allocations inside the device library's cold-junction reads: %llu (not the program's)\n",
                (unsigned long long)g_cjcAllocsTotal);
    delete doc;
    return 0;
}
