// Pacing: reads of 300 ms (3 channels at the module's 10 samples/s) and a 1000 ms read
// interval; the mean period between readings over 30 cycles. --quick: 5 cycles.
// A reading's time is when MDQ4170_AI_ReadData returns it: this program defines that
// call itself (the worker, linked into it, calls this one; it calls the library's).
#include "acquisition/aidoc.h"
#include "app/nuvapp.h"
#include "device/mdq4170_sim.h"

#include <QCoreApplication>
#include <QApplication>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kMax = 64;
Clock::time_point g_reads[kMax];
std::atomic<int> g_n{0};

} // namespace

extern "C" int32_t MDQ4170_AI_ReadData(MDQ4170_HANDLE h, ScanBlock* scan)
{
    static const auto real =
        reinterpret_cast<int32_t (*)(MDQ4170_HANDLE, ScanBlock*)>(dlsym(RTLD_NEXT, "MDQ4170_AI_ReadData"));
    const int32_t ok = real(h, scan);
    const int i = g_n.load(std::memory_order_relaxed);
    if (ok != 0 && i < kMax) {
        g_reads[i] = Clock::now();
        g_n.store(i + 1, std::memory_order_release);
    }
    return ok;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int cycles = quick ? 5 : 30;
    MDQ4170SIM_SetTimeScale(1.0);   // 3 channels: 300 ms per read
    nuv::theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
    auto* doc = new nuv::CAIDoc;
    doc->m_hDevice = nuv::theApp.m_hDevice;
    MDQ4170_AI_LoadParam(nuv::theApp.m_hDevice, &doc->m_Param);
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 3;
    doc->m_fReadInterval = 1000.0f;
    doc->OnStartAcquisition();
    while (g_n.load(std::memory_order_acquire) < cycles + 1)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    doc->OnStopAcquisition();
    doc->WaitForWorkerIdle();

    double sum = 0, worst = 0;
    for (int i = 1; i <= cycles; ++i) {
        const double ms = std::chrono::duration<double, std::milli>(g_reads[i] - g_reads[i - 1]).count();
        sum += ms;
        worst = std::max(worst, std::fabs(ms - 1000.0));
    }
    const double mean = sum / cycles;
    std::printf("pacing mean period over %d cycles: %.2f ms (target 1000 +/- 2 ms)\n", cycles, mean);
    std::printf("pacing worst single period deviation: %.2f ms\n", worst);
    delete doc;
    return std::fabs(mean - 1000.0) <= 2.0 ? 0 : 1;
}
