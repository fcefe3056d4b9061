#include "acquisition/acqshared.h"

#include <cstring>

namespace nuv {

AcqShared::AcqShared()
{
    std::memset(m_CodeRing, 0, sizeof m_CodeRing);
    std::memset(m_ValueRing, 0, sizeof m_ValueRing);
}

void AcqShared::PrepareRun(uint32_t channels)
{
    m_SampleCount.store(0, std::memory_order_relaxed);
    m_nRunChannels.store(channels, std::memory_order_relaxed);
    m_bWorkerIdle.store(0, std::memory_order_relaxed);
}

void AcqShared::SetRunning(bool running) { m_bRunning.store(running ? 1 : 0, std::memory_order_release); }

bool AcqShared::TryClearSweep()
{
    if (!WorkerIdle())
        return false;
    ClearSweepBuffer();
    return true;
}

void AcqShared::ClearSweepBuffer()
{
    std::memset(m_CodeRing, 0, sizeof m_CodeRing);
    std::memset(m_ValueRing, 0, sizeof m_ValueRing);
    m_nSweepPos.store(0, std::memory_order_release);
}

void AcqShared::Writer::BeginRun()
{
    m_s.m_bWorkerIdle.store(0, std::memory_order_relaxed);
    std::memset(m_s.m_ValueRing, 0, sizeof m_s.m_ValueRing);
}

void AcqShared::Writer::SetRunChannels(uint32_t channels)
{
    m_s.m_nRunChannels.store(channels, std::memory_order_release);
}

void AcqShared::Writer::PublishReading(uint64_t n, const ScanBlock& scan)
{
    m_s.m_SampleCount.store(n, std::memory_order_release);
    m_s.m_ScanCopy = scan;
}

void AcqShared::Writer::StoreSweep(int slot, const ScanBlock& scan)
{
    for (int k = 0; k < kChannels; ++k) {
        m_s.m_CodeRing[k][slot] = scan.Channel[k].Code;
        m_s.m_ValueRing[k][slot] = scan.Channel[k].Value;
    }
}

void AcqShared::Writer::PublishSweep(int slot)
{
    m_s.m_nVisibleCount.store(slot, std::memory_order_relaxed);
    m_s.m_nSweepPos.store(slot, std::memory_order_release);
}

void AcqShared::Writer::SetBoxUp(bool up) { m_s.m_nWorkerBox.store(up ? 1 : 0, std::memory_order_release); }

void AcqShared::Writer::EndRun() { m_s.m_bRunning.store(0, std::memory_order_release); }

void AcqShared::Writer::MarkIdle() { m_s.m_bWorkerIdle.store(1, std::memory_order_release); }

} // namespace nuv
