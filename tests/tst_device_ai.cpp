// Substitute device library: range table, scans, pacing, read and CJC faults, tasks, threads.
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <atomic>
#include <cmath>
#include <cstring>
#include <tuple>
#include <thread>

namespace {
const char* const kSimVariables[] = {
    "MDQ4170_SIM_MODULES", "MDQ4170_SIM_UNPLUG", "MDQ4170_SIM_READ_FAIL_AFTER", "MDQ4170_SIM_READ_TIMEOUT_AFTER",
    "MDQ4170_SIM_CJC_FAIL_AFTER", "MDQ4170_SIM_CJC_TIMEOUT_AFTER", "MDQ4170_SIM_INIT_FAIL",
    "MDQ4170_SIM_RELEASE_FAIL", "MDQ4170_SIM_WRITE_LIMIT", "MDQ4170_SIM_FREE_BYTES", "MDQ4170_SIM_INFO_FAIL",
    "MDQ4170_SIM_DIO_FAIL", "MDQ4170_SIM_BROKEN_CHANNEL", "MDQ4170_SIM_UNPLUG_AFTER"};

AIParam param(uint32_t first, uint32_t count, std::initializer_list<uint32_t> ranges)
{
    AIParam p{};
    p.FirstChannel = first;
    p.ChannelCount = count;
    int k = 0;
    for (uint32_t r : ranges)
        p.Range[k++] = r;
    return p;
}

RangeInfo info(MDQ4170_HANDLE h, uint32_t code)
{
    RangeInfo ri{};
    MDQ4170_AI_GetRangeInfo(h, code, &ri);
    return ri;
}
} // namespace

class TstDeviceAi : public QObject {
    Q_OBJECT
    MDQ4170_HANDLE h = MDQ4170_INVALID_HANDLE;

private slots:
    void init()
    {
        for (const char* v : kSimVariables)
            qunsetenv(v);
        MDQ4170SIM_Reset();
        // Start without the calibration earlier runs stored in this test's private home.
        QDir(QString::fromUtf8(MDQ4170SIM_StorePath())).removeRecursively();
        MDQ4170SIM_Reset();   // time scale from the test environment (0.01)
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h != MDQ4170_INVALID_HANDLE);
    }

    void rangeTable()
    {
        struct Expect { uint32_t unit; double min, max; };
        const Expect table[16] = {{0, -50, 50},   {0, -100, 100}, {0, -500, 500}, {1, -1, 1},
                                  {1, -2.5, 2.5}, {1, -5, 5},     {1, -10, 10},   {2, -20, 20},
                                  {2, 4, 20},     {3, 0, 1200},   {3, 0, 1300},   {3, -200, 400},
                                  {3, 0, 1000},   {3, 0, 1700},   {3, 0, 1768},   {3, 0, 1800}};
        for (uint32_t code = 0; code < 16; ++code) {
            RangeInfo ri;
            std::memset(&ri, 0xAB, sizeof ri);
            QVERIFY(MDQ4170_AI_GetRangeInfo(h, code, &ri));
            QCOMPARE(ri.RangeCode, code);
            QCOMPARE(ri.Unit, table[code].unit);
            QCOMPARE(ri.RangeMin, table[code].min);
            QCOMPARE(ri.RangeMax, table[code].max);
            QCOMPARE(ri.RangeSpan, ri.RangeMax - ri.RangeMin);
            QCOMPARE(ri.CodeStep, ri.RangeSpan / 65536.0);
            for (uint32_t w : ri.Extra)
                QCOMPARE(w, 0u);
        }
        // Unknown code or no module: failure, and the record is zeroed, not left as garbage.
        const RangeInfo zero{};
        for (auto [handle, code, error] : {std::tuple{h, 16u, MDQ4170_ERROR_INVALID_PARAMETER},
                                           std::tuple{MDQ4170_INVALID_HANDLE, 3u, MDQ4170_ERROR_INVALID_HANDLE}}) {
            RangeInfo ri;
            std::memset(&ri, 0xAB, sizeof ri);
            QCOMPARE(MDQ4170_AI_GetRangeInfo(handle, code, &ri), 0);
            QCOMPARE(MDQ4170_GetLastError(), error);
            QCOMPARE(std::memcmp(&ri, &zero, sizeof ri), 0);
        }
    }

    void readingsFollowTheRanges()
    {
        // Every kind of range on one module: mV, V, both mA ranges, three thermocouples.
        const AIParam p = param(0, 8, {0, 3, 6, 7, 8, 9, 11, 15});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock first{}, scan{};
        QVERIFY(MDQ4170_AI_ReadData(h, &first));
        for (int n = 0; n < 20; ++n) {
            QVERIFY(MDQ4170_AI_ReadData(h, &scan));
            for (int ch = 0; ch < 8; ++ch) {
                const ChannelReading& r = scan.Channel[ch];
                const RangeInfo ri = info(h, p.Range[ch]);
                QCOMPARE(r.ReadingRange, p.Range[ch]);
                QCOMPARE(r.Value, float(ri.RangeMin + r.Code * ri.CodeStep));
                if (ch == 7) {   // default broken channel, in a thermocouple range
                    QCOMPARE(r.BreakState, 1u);
                    continue;
                }
                QCOMPARE(r.BreakState, 0u);
                QVERIFY2(r.Code > 0 && r.Code < 65535, qPrintable(QString::number(ch)));
                if (p.Range[ch] == 7 || p.Range[ch] == 8)   // a 4..20 mA loop
                    QVERIFY(r.Value >= 3.9f && r.Value <= 20.1f);
                if (p.Range[ch] >= 9)                       // a process temperature
                    QVERIFY2(r.Value >= 90.0f && r.Value <= 420.0f, qPrintable(QString::number(r.Value)));
            }
        }
        // The signals move over time, and not all channels alike.
        int moved = 0;
        for (int ch = 0; ch < 7; ++ch)
            moved += first.Channel[ch].Code != scan.Channel[ch].Code;
        QVERIFY(moved >= 5);
    }

    void signalsAreContinuousAndDistinct()
    {
        // One volt range on all channels: scans 0.8 s apart differ little (the fastest signal
        // has a 15 s period), channels differ.
        const AIParam p = param(0, 8, {6, 6, 6, 6, 6, 6, 6, 6});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock a{}, b{};
        QVERIFY(MDQ4170_AI_ReadData(h, &a));
        QVERIFY(MDQ4170_AI_ReadData(h, &b));
        QSet<int> distinct;
        for (int ch = 0; ch < 8; ++ch) {
            QVERIFY2(std::fabs(a.Channel[ch].Value - b.Channel[ch].Value) < 3.0f, qPrintable(QString::number(ch)));
            QVERIFY(std::fabs(b.Channel[ch].Value) <= 8.5f);
            distinct.insert(b.Channel[ch].Code / 256);
        }
        QVERIFY(distinct.size() >= 5);
    }

    void brokenChannelIsConfigurable()
    {
        const AIParam p = param(0, 8, {10, 10, 10, 10, 10, 10, 10, 5});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock scan{};
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QCOMPARE(scan.Channel[7].BreakState, 0u);   // channel 7 is in a volt range: no break
        MDQ4170SIM_SetBrokenChannel(0, 2);
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        for (int ch = 0; ch < 8; ++ch)
            QCOMPARE(scan.Channel[ch].BreakState, ch == 2 ? 1u : 0u);
        QCOMPARE(scan.Channel[2].Code, uint16_t(65535));   // up-scale burn-out
        MDQ4170SIM_SetBrokenChannel(0, -1);
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QCOMPARE(scan.Channel[2].BreakState, 0u);

        qputenv("MDQ4170_SIM_BROKEN_CHANNEL", "0:4");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QCOMPARE(scan.Channel[4].BreakState, 1u);
        QCOMPARE(scan.Channel[7].BreakState, 0u);
    }

    void readPacing()
    {
        // 3 channels at scale 0.05: 15 ms per scan, scheduled without drift.
        MDQ4170SIM_SetTimeScale(0.05);
        const AIParam p = param(2, 3, {});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock scan;
        QElapsedTimer t;
        t.start();
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QVERIFY2(t.nsecsElapsed() >= 14'000'000, qPrintable(QString::number(t.nsecsElapsed())));
        // Later scans follow the first one's deadline, not the moment a read returned: the
        // total stays n scans however late each read wakes up.
        const int reads = 21;
        for (int n = 1; n < reads; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        const double ms = t.nsecsElapsed() / 1e6;
        QVERIFY2(ms >= reads * 15 - 1 && ms < reads * 15 + 400, qPrintable(QString::number(ms)));
        QCOMPARE(MDQ4170SIM_ReadCount(0), int64_t(reads));

        // After a pause longer than a scan the module starts a fresh one: a full scan time.
        QTest::qSleep(60);
        t.restart();
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QVERIFY(t.nsecsElapsed() >= 14'000'000);
    }

    void readNeedsATask()
    {
        ScanBlock scan;
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_NOT_READY);
        QVERIFY(MDQ4170_AI_ReleaseTask(h));   // nothing to release is no failure

        AIParam none = param(0xFFFFFFFFu, 0, {});
        QCOMPARE(MDQ4170_AI_InitTask(h, &none, nullptr), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_PARAMETER);
        AIParam illegal = param(6, 4, {});
        QCOMPARE(MDQ4170_AI_InitTask(h, &illegal, nullptr), 0);
        AIParam badRange = param(0, 1, {16});
        QCOMPARE(MDQ4170_AI_InitTask(h, &badRange, nullptr), 0);
        QCOMPARE(MDQ4170SIM_TaskActive(0), 0);

        AIParam ok = param(0, 2, {});
        QVERIFY(MDQ4170_AI_InitTask(h, &ok, nullptr));
        QVERIFY(MDQ4170_AI_InitTask(h, &ok, nullptr));   // a second init starts over
        QCOMPARE(MDQ4170SIM_TaskActive(0), 1);
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QVERIFY(MDQ4170_AI_ReleaseTask(h));
        QCOMPARE(MDQ4170SIM_TaskActive(0), 0);
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);

        // Closing the module ends its task.
        QVERIFY(MDQ4170_AI_InitTask(h, &ok, nullptr));
        MDQ4170_DEV_Release(h);
        QCOMPARE(MDQ4170SIM_TaskActive(0), 0);
    }

    void readFaults()
    {
        const AIParam p = param(0, 1, {});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock scan;
        MDQ4170SIM_FailReadAfter(0, 3, 0);
        for (int n = 0; n < 3; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        for (int n = 0; n < 2; ++n) {   // stays failed until switched off
            QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
            QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_READ_FAULT);
        }
        MDQ4170SIM_FailReadAfter(0, 0, 1);
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_WAIT_TIMEOUT);
        QCOMPARE(MDQ4170_GetLastError(), 258u);
        MDQ4170SIM_FailReadAfter(0, -1, 0);
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QCOMPARE(MDQ4170SIM_ReadCount(0), int64_t(4));
        QVERIFY(MDQ4170_AI_ReleaseTask(h));   // a failed read does not stop the release

        // The same through the environment, per module.
        qputenv("MDQ4170_SIM_MODULES", "2");
        qputenv("MDQ4170_SIM_READ_TIMEOUT_AFTER", "1:2");
        MDQ4170SIM_Reset();
        const MDQ4170_HANDLE h0 = MDQ4170_DEV_Create(0, 0), h1 = MDQ4170_DEV_Create(1, 0);
        QVERIFY(MDQ4170_AI_InitTask(h0, &p, nullptr) && MDQ4170_AI_InitTask(h1, &p, nullptr));
        for (int n = 0; n < 2; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h1, &scan));
        QCOMPARE(MDQ4170_AI_ReadData(h1, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_WAIT_TIMEOUT);
        for (int n = 0; n < 4; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h0, &scan));

        qputenv("MDQ4170_SIM_READ_FAIL_AFTER", "0");
        qunsetenv("MDQ4170_SIM_READ_TIMEOUT_AFTER");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(1, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_READ_FAULT);
    }

    void unplugAfterReads()
    {
        // Environment, per module: module 1 goes after two reads, module 0 stays.
        qputenv("MDQ4170_SIM_MODULES", "2");
        qputenv("MDQ4170_SIM_UNPLUG_AFTER", "0x1:2");
        MDQ4170SIM_Reset();
        const AIParam p = param(0, 1, {});
        ScanBlock scan;
        uint32_t raw;
        double t;
        const MDQ4170_HANDLE h0 = MDQ4170_DEV_Create(0, 0), h1 = MDQ4170_DEV_Create(1, 0);
        QVERIFY(MDQ4170_AI_InitTask(h0, &p, nullptr) && MDQ4170_AI_InitTask(h1, &p, nullptr));
        for (int n = 0; n < 2; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h1, &scan));
        QCOMPARE(MDQ4170SIM_TaskActive(1), 0);
        QCOMPARE(MDQ4170_AI_ReadCJCTemp(h1, &raw, &t), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
        QCOMPARE(MDQ4170_AI_ReadData(h1, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
        QCOMPARE(MDQ4170_DEV_Create(1, 0), MDQ4170_INVALID_HANDLE);
        QCOMPARE(MDQ4170_DEV_GetCount(), 2u);
        for (int n = 0; n < 3; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h0, &scan));

        // At run time: the fault counts from when it is set, and switching it off keeps the module.
        qunsetenv("MDQ4170_SIM_UNPLUG_AFTER");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        MDQ4170SIM_UnplugAfter(0, 1);
        QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
        MDQ4170SIM_SetUnplugged(0, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        MDQ4170SIM_UnplugAfter(0, 1);
        MDQ4170SIM_UnplugAfter(0, -1);
        for (int n = 0; n < 2; ++n)
            QVERIFY(MDQ4170_AI_ReadData(h, &scan));
        MDQ4170SIM_UnplugAfter(0, 0);
        QCOMPARE(MDQ4170_AI_ReadData(h, &scan), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
    }

    void initAndReleaseFaults()
    {
        const AIParam p = param(0, 1, {});
        MDQ4170SIM_FailInitTask(0, 1);
        QCOMPARE(MDQ4170_AI_InitTask(h, &p, nullptr), 0);
        QCOMPARE(MDQ4170SIM_TaskActive(0), 0);
        MDQ4170SIM_FailInitTask(0, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        MDQ4170SIM_FailReleaseTask(0, 1);
        QCOMPARE(MDQ4170_AI_ReleaseTask(h), 0);
        MDQ4170SIM_FailReleaseTask(0, 0);
        QVERIFY(MDQ4170_AI_ReleaseTask(h));

        qputenv("MDQ4170_SIM_INIT_FAIL", "1");
        qputenv("MDQ4170_SIM_RELEASE_FAIL", "1");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QCOMPARE(MDQ4170_AI_InitTask(h, &p, nullptr), 0);
        MDQ4170SIM_FailInitTask(0, 0);
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        QCOMPARE(MDQ4170_AI_ReleaseTask(h), 0);
    }

    void coldJunction()
    {
        uint32_t raw = 0;
        double t = 0;
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t));
        QVERIFY2(t > 24.0 && t < 26.0, qPrintable(QString::number(t)));
        QCOMPARE(int32_t(raw), int32_t(std::lround(t * 16)));

        // Thermocouple readings are compensated with the module's CJC value: correcting it by
        // +5 degC moves a fixed process temperature by the same amount.
        MDQ4170SIM_SetChannelInput(0, 1, 300.0);
        const AIParam p = param(0, 2, {10, 10});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        ScanBlock before{}, after{};
        QVERIFY(MDQ4170_AI_ReadData(h, &before));
        QVERIFY(std::fabs(before.Channel[1].Value - 300.0f) < 3.0f);
        QVERIFY(MDQ4170_AI_SetCJC(h, float(t + 5.0)));
        double t2 = 0;
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t2));
        QVERIFY2(std::fabs(t2 - (t + 5.0)) < 0.05, qPrintable(QString::number(t2)));
        QVERIFY(MDQ4170_AI_ReadData(h, &after));
        QVERIFY2(std::fabs(after.Channel[1].Value - before.Channel[1].Value - 5.0f) < 0.2f,
                 qPrintable(QString::number(after.Channel[1].Value)));
        QCOMPARE(MDQ4170_AI_SetCJC(h, NAN), 0);
        QCOMPARE(MDQ4170_AI_SetCJC(h, 500.0f), 0);

        // The correction is a calibration: it survives a restart of the library.
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t2));
        QVERIFY(std::fabs(t2 - (t + 5.0)) < 0.05);
    }

    void coldJunctionFaults()
    {
        uint32_t raw;
        double t;
        MDQ4170SIM_FailCJCAfter(0, 1, 0);
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t));
        QCOMPARE(MDQ4170_AI_ReadCJCTemp(h, &raw, &t), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_READ_FAULT);
        MDQ4170SIM_FailCJCAfter(0, 0, 1);
        QCOMPARE(MDQ4170_AI_ReadCJCTemp(h, &raw, &t), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_WAIT_TIMEOUT);
        MDQ4170SIM_FailCJCAfter(0, -1, 0);
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t));

        qputenv("MDQ4170_SIM_CJC_TIMEOUT_AFTER", "2");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &raw, &t) && MDQ4170_AI_ReadCJCTemp(h, &raw, &t));
        QCOMPARE(MDQ4170_AI_ReadCJCTemp(h, &raw, &t), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_WAIT_TIMEOUT);
        qputenv("MDQ4170_SIM_CJC_FAIL_AFTER", "0");
        qunsetenv("MDQ4170_SIM_CJC_TIMEOUT_AFTER");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QCOMPARE(MDQ4170_AI_ReadCJCTemp(h, &raw, &t), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_READ_FAULT);
    }

    void callsFromSeveralThreads()
    {
        // A worker blocked in a long read must not stall the GUI thread's calls.
        MDQ4170SIM_SetTimeScale(1.0);
        const AIParam p = param(0, 8, {});   // 800 ms per scan
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        std::atomic<int> result{-1};
        std::atomic<uint32_t> error{0};
        QElapsedTimer t;
        t.start();
        std::thread reader([&] {
            ScanBlock scan;
            result = MDQ4170_AI_ReadData(h, &scan);
            error = MDQ4170_GetLastError();
        });
        QTest::qSleep(50);
        uint32_t states[8], speed;
        double cjc;
        QVERIFY(MDQ4170_DIO_ReadLines(h, 0, states));
        QVERIFY(MDQ4170_DEV_GetSpeed(h, &speed));
        QVERIFY(MDQ4170_AI_ReadCJCTemp(h, &speed, &cjc));
        QVERIFY(t.elapsed() < 500);
        // Ending the task ends the waiting read at once, with an error.
        QVERIFY(MDQ4170_AI_ReleaseTask(h));
        reader.join();
        QVERIFY2(t.elapsed() < 600, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(result.load(), 0);
        QCOMPARE(error.load(), MDQ4170_ERROR_NOT_READY);
    }

    void concurrentUseSurvivesControlChanges()
    {
        // Acquisition, DIO and identity calls race with unplugging, time-scale changes and
        // Resets: every call must return (success or a clean failure), nothing may hang.
        const AIParam p = param(0, 2, {});
        std::atomic<bool> stop{false};
        std::atomic<int> reads{0};
        auto acquisition = [&] {
            while (!stop) {
                const MDQ4170_HANDLE hh = MDQ4170_DEV_Create(0, 0);
                ScanBlock scan;
                if (MDQ4170_AI_InitTask(hh, &p, nullptr))
                    for (int n = 0; n < 5 && MDQ4170_AI_ReadData(hh, &scan); ++n)
                        ++reads;
                MDQ4170_AI_ReleaseTask(hh);
                MDQ4170_DEV_Release(hh);
            }
        };
        auto panel = [&] {
            uint32_t states[8], v;
            while (!stop) {
                const MDQ4170_HANDLE hh = MDQ4170_DEV_Create(0, 0);
                MDQ4170_DIO_WriteLine(hh, 1, 2, 1);
                MDQ4170_DIO_ReadLines(hh, 0, states);
                MDQ4170_DEV_GetSerialNum(hh, &v);
                MDQ4170_DEV_Release(hh);
            }
        };
        std::thread a(acquisition), b(panel);
        for (int round = 0; round < 20; ++round) {
            MDQ4170SIM_SetUnplugged(0, round % 3 == 1);
            MDQ4170SIM_SetTimeScale(round % 2 ? 0.01 : 0.02);
            if (round % 5 == 4)
                MDQ4170SIM_Reset();
            QTest::qSleep(10);
        }
        MDQ4170SIM_SetUnplugged(0, 0);
        QTest::qSleep(30);
        stop = true;
        a.join();
        b.join();
        QVERIFY(reads > 0);
    }
};

QTEST_GUILESS_MAIN(TstDeviceAi)
#include "tst_device_ai.moc"
