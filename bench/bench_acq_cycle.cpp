// The acquisition cycle's own work (everything but the device reads and the pacing sleep)
// and the heap allocations made in it, measured on the worker thread while recording
// 8 channels with the simulated module at a fast time scale. The cold-junction read, a
// device call inside the cycle, is left out of both and reported on its own.
#include "acquisition/acqworker.h"
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
#include <new>
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
Clock::time_point g_t0, g_d0;
uint64_t g_a0 = 0, g_da0 = 0;
int64_t g_deviceNs = 0;       // device time inside the current cycle
uint64_t g_deviceAllocs = 0;  // allocations inside the current cycle's device calls
uint64_t g_deviceAllocsTotal = 0;
int64_t g_ns[kCycles];
uint64_t g_allocs[kCycles];
std::atomic<int> g_n{0};

void Probe(int phase)
{
    if (phase == 0) {
        g_a0 = t_allocs;
        g_deviceNs = 0;
        g_deviceAllocs = 0;
        g_t0 = Clock::now();
        return;
    }
    if (phase == 2) {
        g_da0 = t_allocs;
        g_d0 = Clock::now();
        return;
    }
    if (phase == 3) {
        g_deviceNs += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - g_d0).count();
        g_deviceAllocs += t_allocs - g_da0;
        return;
    }
    const int i = g_n.load(std::memory_order_relaxed);
    if (i >= kCycles)
        return;
    g_ns[i] = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - g_t0).count() - g_deviceNs;
    g_allocs[i] = t_allocs - g_a0 - g_deviceAllocs;
    g_deviceAllocsTotal += g_deviceAllocs;
    g_n.store(i + 1, std::memory_order_release);
}

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

    nuv::AcquisitionWorker::s_probe.store(Probe);
    doc->OnStartAcquisition();
    while (g_n.load(std::memory_order_acquire) < kCycles)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    doc->OnStopAcquisition();
    doc->WaitForWorkerIdle();
    nuv::AcquisitionWorker::s_probe.store(nullptr);

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
                (unsigned long long)g_deviceAllocsTotal);
    delete doc;
    return 0;
}
