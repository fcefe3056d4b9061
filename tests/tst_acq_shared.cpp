// The sharing between the acquisition worker and the window thread, without windows: a
// writer thread runs the worker's side of AcqShared against a reader on this thread.
// Under ThreadSanitizer a missing release or acquire shows as a race on the sweep slots
// or the latest reading.
#include "acquisition/acqshared.h"

#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

using namespace nuv;

namespace {

constexpr int kSweep = 4096;   // longer than a run here: no slot is written twice in a run
constexpr int kLead = 70;      // how far the writer may run ahead of what the reader has seen

// The sweep position the reader has checked. Relaxed on both sides: it only paces the writer
// (so a loaded machine cannot let a run end unseen) and gives no ordering TSan could count.
std::atomic<int> g_readerSeen{0};

// Reading n of run r: every channel's code tells both.
ScanBlock Reading(uint64_t n, int run)
{
    ScanBlock s{};
    for (int k = 0; k < kChannels; ++k) {
        s.Channel[k].Code = uint16_t(run * 16384 + n * 4 + uint64_t(k % 4));
        s.Channel[k].Value = float(n) + float(k) / 10.0f;
    }
    return s;
}

// The worker's cycle: publish the reading, store its slot, announce the sweep now and then;
// ends after `last` readings or when the run flag is cleared.
void Worker(AcqShared& shared, int run, uint64_t last)
{
    AcqShared::Writer w(shared);
    w.BeginRun();
    uint64_t n = 0;
    while (w.Running() && n < last) {
        const ScanBlock scan = Reading(++n, run);
        w.PublishReading(n, scan);
        w.StoreSweep(int(n % kSweep), scan);
        if (n % 7 == 0) {
            w.PublishSweep(int(n % kSweep));
            while (w.Running() && int(n) - g_readerSeen.load(std::memory_order_relaxed) > kLead)
                std::this_thread::yield();
        }
        std::this_thread::yield();
    }
    if (n == last)
        w.EndRun();   // as a fault does
    w.MarkIdle();
}

} // namespace

class TestAcqShared : public QObject {
    Q_OBJECT
private slots:
    void readerSeesConsistentRuns();
};

void TestAcqShared::readerSeesConsistentRuns()
{
    auto shared = std::make_unique<AcqShared>();
    AcqShared& s = *shared;
    for (int run = 0; run < 2; ++run) {
        // The first run ends by itself after 3000 readings; the second is stopped.
        const uint64_t last = run == 0 ? 3000 : uint64_t(kSweep - 1);
        QVERIFY(s.TryClearSweep());
        QCOMPARE(s.SweepPos(), 0);
        QCOMPARE(s.SweepCodes(3)[7], uint16_t(0));
        s.PrepareRun(8);
        QVERIFY(!s.WorkerIdle());
        s.SetRunning(true);
        g_readerSeen.store(0, std::memory_order_relaxed);
        std::jthread worker(Worker, std::ref(s), run, last);   // joined also when a check fails

        uint64_t seen = 0;
        int checkedUpTo = 0;
        bool stopped = false;
        while (!s.WorkerIdle()) {
            const uint64_t count = s.SampleCount();
            QVERIFY(count >= seen && count <= last);
            seen = count;
            // Every slot up to the announced position holds its reading of this run.
            const int pos = s.SweepPos();
            QVERIFY(pos % 7 == 0);
            for (int j = checkedUpTo + 1; j <= pos; ++j) {
                const ScanBlock expected = Reading(uint64_t(j), run);
                for (int k = 0; k < kChannels; ++k) {
                    QCOMPARE(s.SweepCodes(k)[j], expected.Channel[k].Code);
                    QCOMPARE(s.SweepValues(k)[j], expected.Channel[k].Value);
                }
            }
            checkedUpTo = std::max(checkedUpTo, pos);
            g_readerSeen.store(checkedUpTo, std::memory_order_relaxed);
            // A clear while the worker is busy is refused and touches nothing.
            if (s.TryClearSweep()) {
                QVERIFY(s.WorkerIdle());
                QCOMPARE(s.SweepPos(), 0);
                break;
            }
            if (run == 1 && count >= 500 && !stopped) {
                s.SetRunning(false);
                stopped = true;
            }
        }
        worker.join();
        QVERIFY(s.WorkerIdle());
        QVERIFY(!s.Running());
        const uint64_t n = s.SampleCount();
        if (run == 0)
            QCOMPARE(n, last);
        else
            QVERIFY(n >= 500 && n < last);
        // Idle: the latest reading is the one counted.
        const ScanBlock expected = Reading(n, run);
        for (int k = 0; k < kChannels; ++k)
            QCOMPARE(s.LastReading().Channel[k].Code, expected.Channel[k].Code);
        QVERIFY(checkedUpTo > 0);
    }
}

QTEST_GUILESS_MAIN(TestAcqShared)
#include "tst_acq_shared.moc"
