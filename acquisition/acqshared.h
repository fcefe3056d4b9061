// What the acquisition worker shares with the window thread, and the rules of the sharing.
//
// The worker writes through a Writer; the window thread starts and stops runs and reads
// through the members below. The reading count and the flags are atomic; every release
// the worker makes has its acquire here:
//  - the sweep position: the sweep slots up to it hold the readings it announces;
//  - the idle flag, the worker's last store: once it reads 1, everything the worker wrote
//    (rings, latest reading, counters) is visible and nothing changes any more;
//  - the run flag, in the other direction: what the window thread prepared before
//    starting a run is visible to the worker.
// While a worker runs, the window thread writes nothing of the sweep buffer: a clear is
// refused until the worker is idle. The painter reads the slots while the worker may be
// writing later ones: a sweep drawn during a run shows each slot as it was at that moment.
//
// The fields are public so that tests can lay out a sweep or a count directly; program
// code goes through the members.
#pragma once

#include "acquisition/aitypes.h"
#include "device/mdq4170.h"
#include "framework/wndmsg.h"

#include <atomic>
#include <cstdint>

namespace nuv {

class AcqShared {
public:
    static constexpr int kRingSize = 131072;

    AcqShared();
    AcqShared(const AcqShared&) = delete;
    AcqShared& operator=(const AcqShared&) = delete;

    // ---- window thread: runs ----
    // Before a worker is made: reading count 0, the run's channels, the worker busy from
    // now on (so that a Start right after this one waits for it).
    void PrepareRun(uint32_t channels);
    // Start (everything the worker reads is in place) or Stop (the worker sees it at the
    // end of its cycle).
    void SetRunning(bool running);
    // Zeroes the sweep buffer and its position; refused (false, nothing touched) while a
    // worker has not finished.
    bool TryClearSweep();
    // The same without asking: only where no worker can write any more, i.e. when handling
    // the worker's last message (posted after its last write).
    void ClearSweepBuffer();

    // ---- window thread: reading ----
    bool Running() const { return m_bRunning.load(std::memory_order_acquire) != 0; }
    bool WorkerIdle() const { return m_bWorkerIdle.load(std::memory_order_acquire) != 0; }
    // The worker waits for the operator to close one of its boxes.
    bool WorkerBoxUp() const { return m_nWorkerBox.load(std::memory_order_acquire) != 0; }
    uint64_t SampleCount() const { return m_SampleCount.load(std::memory_order_acquire); }
    uint32_t RunChannels() const { return m_nRunChannels.load(std::memory_order_acquire); }
    int SweepPos() const { return m_nSweepPos.load(std::memory_order_acquire); }
    const uint16_t* SweepCodes(int channel) const { return m_CodeRing[channel]; }
    const float* SweepValues(int channel) const { return m_ValueRing[channel]; }
    // The latest reading; settled once WorkerIdle().
    const ScanBlock& LastReading() const { return m_ScanCopy; }

    // ---- the worker's side ----
    class Writer {
    public:
        explicit Writer(AcqShared& shared) : m_s(shared) {}
        // Preparation: busy, value rings zeroed.
        void BeginRun();
        // The channels the run records (after the device library's check).
        void SetRunChannels(uint32_t channels);
        bool Running() const { return m_s.m_bRunning.load(std::memory_order_acquire) != 0; }
        // Reading n is the latest.
        void PublishReading(uint64_t n, const ScanBlock& scan);
        // Stores a reading in sweep slot `slot` (not yet announced).
        void StoreSweep(int slot, const ScanBlock& scan);
        // Announces the sweep up to `slot`.
        void PublishSweep(int slot);
        void SetBoxUp(bool up);
        // A fault ends the run as Stop would.
        void EndRun();
        // The worker's last access: idle from now on.
        void MarkIdle();

    private:
        AcqShared& m_s;
    };

    // ---- the state ----
    uint16_t m_CodeRing[kChannels][kRingSize];
    float m_ValueRing[kChannels][kRingSize];
    std::atomic<int> m_nSweepPos{0};
    std::atomic<int> m_nVisibleCount{1};   // the worker's last announced slot; the view's count
    std::atomic<uint64_t> m_SampleCount{0};
    ScanBlock m_ScanCopy{};
    std::atomic<int> m_bRunning{0};
    std::atomic<int> m_bWorkerIdle{1};
    std::atomic<int> m_nWorkerBox{0};
    std::atomic<uint32_t> m_nRunChannels{0};

    // Where the worker's notices go: handles given by whoever builds the windows (0: nowhere).
    std::atomic<HWND> m_hFrameWnd{0};   // status refresh, file close
    std::atomic<HWND> m_hCurveWnd{0};   // new sweep data
    std::atomic<HWND> m_hDigitWnd{0};   // one reading
    std::atomic<HWND> m_hParamWnd{0};   // cold-junction temperature and break states
};

} // namespace nuv
