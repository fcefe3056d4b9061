// What playback accepts of a header and how it places and splits a window.
#include "datafile/histlayout.h"
#include "tst_hist_writer.h"

#include <QTest>

using namespace nuv;

class TstHistLayout : public QObject {
    Q_OBJECT

    static HistLayout Layout(const histtest::Spec& s, int64_t fileBytesDelta = 0)
    {
        const QByteArray h = histtest::Header(s);
        const uint64_t records = s.records < 0 ? s.readings : uint64_t(s.records);
        const uint64_t size = 1312 + 2ull * histtest::CodesPerRecord(s) * records + uint64_t(s.trailingBytes);
        return ComputeHistLayout(reinterpret_cast<const uint8_t*>(h.constData()), size_t(h.size()),
                                 uint64_t(int64_t(size) + fileBytesDelta));
    }

private slots:
    void identification()
    {
        histtest::Spec s;
        s.readings = 5;
        HistLayout l = Layout(s);
        QVERIFY(l.ProductOk && l.HeaderComplete);
        QCOMPARE(l.ScanCount, 5);

        s.productId = 0x4171;   // marks right, identification wrong
        QVERIFY(!Layout(s).ProductOk);

        s.productId = 0x4170;
        s.marks = false;        // marks wrong, identification right
        QVERIFY(Layout(s).ProductOk);

        const QByteArray h = histtest::Header(histtest::Spec{});
        l = ComputeHistLayout(reinterpret_cast<const uint8_t*>(h.constData()), 1311, 1311);
        QVERIFY(l.ProductOk);
        QVERIFY(!l.HeaderComplete);
        l = ComputeHistLayout(reinterpret_cast<const uint8_t*>(h.constData()), 100, 100);
        QVERIFY(!l.ProductOk);
        QVERIFY(!ComputeHistLayout(nullptr, 0, 0).ProductOk);
    }

    void channelRun()
    {
        histtest::Spec s;
        s.first = 2;
        s.count = 3;
        s.readings = 10;
        HistLayout l = Layout(s);
        QCOMPARE(l.Problem, HistProblem::None);
        QCOMPARE(l.ChannelCount, 3u);
        QCOMPARE(l.EnabledCount, 3);
        QCOMPARE(l.Enabled[0], 2);
        QCOMPARE(l.Enabled[2], 4);
        QCOMPARE(l.Param.Reserved0, int32_t(0x12345678));
    }

    void impossibleConfigurations_data()
    {
        QTest::addColumn<uint32_t>("first");
        QTest::addColumn<uint32_t>("count");
        QTest::addColumn<int64_t>("codes");
        QTest::addColumn<uint64_t>("readings");
        QTest::addColumn<int>("problem");
        QTest::newRow("no channel, readings") << 0u << 0u << int64_t(0) << uint64_t(4) << int(HistProblem::NoChannels);
        QTest::newRow("no channel, codes") << 0xFFFFFFFFu << 0u << int64_t(2) << uint64_t(0) << int(HistProblem::NoChannels);
        QTest::newRow("run past 7") << 6u << 3u << int64_t(3) << uint64_t(4) << int(HistProblem::BadChannelRun);
        QTest::newRow("nine channels") << 0u << 9u << int64_t(9) << uint64_t(4) << int(HistProblem::BadChannelRun);
        QTest::newRow("wrapping run") << 0xFFFFFFFFu << 2u << int64_t(2) << uint64_t(4) << int(HistProblem::BadChannelRun);
        QTest::newRow("codes differ") << 1u << 4u << int64_t(5) << uint64_t(4) << int(HistProblem::CodesMismatch);
        QTest::newRow("huge codes") << 0u << 8u << int64_t(0xFFFFFFFF) << uint64_t(4) << int(HistProblem::CodesMismatch);
    }
    void impossibleConfigurations()
    {
        QFETCH(uint32_t, first);
        QFETCH(uint32_t, count);
        QFETCH(int64_t, codes);
        QFETCH(uint64_t, readings);
        QFETCH(int, problem);
        histtest::Spec s;
        s.first = first;
        s.count = count;
        s.codesPerRecord = codes;
        s.readings = readings;
        s.records = 0;
        const QByteArray h = histtest::Header(s);
        const HistLayout l = ComputeHistLayout(reinterpret_cast<const uint8_t*>(h.constData()), 1312, 1312 + 4096);
        QCOMPARE(int(l.Problem), problem);
        QCOMPARE(l.ChannelCount, 0u);
        QCOMPARE(l.EnabledCount, 0);
        QCOMPARE(l.ScanCount, 0);
        QCOMPARE(l.Param.ChannelCount, 0u);   // shown as a file without channels
        QCOMPARE(l.Param.Range[7], s.range[7]);
    }

    void failedAndKilledRunsShowTheirRecords()
    {
        // Codes 0 with or without readings: no record was complete when the header was
        // written (first read or first write failed). Records are as wide as the run.
        for (uint64_t readings : {0ull, 1ull}) {
            histtest::Spec s;
            s.first = 2;
            s.count = 3;
            s.codesPerRecord = 0;
            s.readings = readings;
            s.records = 0;
            s.trailingBytes = 5;   // a torn first record
            HistLayout l = Layout(s);
            QCOMPARE(l.Problem, HistProblem::None);
            QCOMPARE(l.ChannelCount, 3u);
            QCOMPARE(l.EnabledCount, 3);
            QCOMPARE(l.ScanCount, 0);
            QCOMPARE(l.Param.ChannelCount, 3u);
            l = Layout(s, 2 * 6);  // two records of three codes came after the header
            QCOMPARE(l.ScanCount, 2);
        }
        // Killed between header refreshes: all complete records are shown.
        histtest::Spec k;
        k.count = 4;
        k.readings = 74;
        k.records = 80;
        k.trailingBytes = 7;
        QCOMPARE(Layout(k).ScanCount, 80);
        QVERIFY(!Layout(k).Truncated);
    }

    void countsAgainstFileLength()
    {
        histtest::Spec s;
        s.count = 3;
        s.readings = 10;
        s.records = 9;
        s.trailingBytes = 4;       // last record torn
        HistLayout l = Layout(s);
        QCOMPARE(l.CompleteRecords, 9u);
        QCOMPARE(l.ScanCount, 9);
        QVERIFY(l.Truncated);


        s.readings = 10;           // file ends inside the header's records
        s.records = 0;
        l = Layout(s, -1);         // and even inside the header
        QCOMPARE(l.ScanCount, 0);
    }

    void countNearTheCap()
    {
        histtest::Spec s;
        s.count = 1;
        s.readings = ~0ull;
        s.records = 0;
        const QByteArray h = histtest::Header(s);
        const auto* p = reinterpret_cast<const uint8_t*>(h.constData());
        HistLayout l = ComputeHistLayout(p, 1312, 1312 + 2ull * 3000000000ull);
        QCOMPARE(l.ScanCount, kMaxHistScans);
        l = ComputeHistLayout(p, 1312, 1312 + 2ull * 2147482390ull + 1);
        QCOMPARE(l.ScanCount, 2147482390);
        l = ComputeHistLayout(p, 1312, ~0ull);
        QCOMPARE(l.ScanCount, kMaxHistScans);
    }

    void windowArithmetic()
    {
        QCOMPARE(HistWindowOffset(3, 100), uint64_t(1912));
        const uint64_t far = HistWindowOffset(8, int64_t(1) << 28);
        QCOMPARE(far, 1312 + (uint64_t(1) << 32));
        QCOMPARE(uint32_t(far >> 32), 1u);
        QCOMPARE(HistWindowOffset(8, kMaxHistScans), 1312 + 16ull * uint64_t(kMaxHistScans));

        QCOMPARE(HistDefaultWindowLength(0, 10), 10u);
        QCOMPARE(HistDefaultWindowLength(0, 1 << 20), 1024u);
        QCOMPARE(HistDefaultWindowLength(10, 10), 0u);
        QCOMPARE(HistDefaultWindowLength(20, 10), 0u);
        QCOMPARE(HistLoadLength(5, 0, 1 << 20), 128u);           // a table's worth at least
        QCOMPARE(HistLoadLength(1000000, 0, 1 << 20), 131072u);
        QCOMPARE(HistLoadLength(1000, 100, 150), 50u);
        QCOMPARE(HistLoadLength(1000, 200, 150), 0u);

        // Beside a waveform 800 readings wide the window is one screen, cut at the end; the
        // last screenful ends on the plot's last column, or on the table's last row alone.
        const HistScreen wave{800, 801}, none{};
        QCOMPARE(HistWindowLength(wave, 0, 100000), 801u);
        QCOMPARE(HistWindowLength(wave, 99700, 100000), 300u);
        QCOMPARE(HistWindowLength(wave, 100000, 100000), 0u);
        QCOMPARE(HistWindowLength(none, 0, 100000), 1024u);
        QCOMPARE(HistEndPosition(wave, 100000), 99200);
        QCOMPARE(HistEndPosition(wave, 800), 0);
        QCOMPARE(HistEndPosition(none, 100000), 100000 - 128);
        QCOMPARE(HistEndPosition(none, -5), 0);
    }

    void deinterleave()
    {
        const uint8_t bytes[] = {1, 0, 2, 0, 3, 0, 4, 1, 5, 0, 6, 0, 7, 0};   // 2 whole records of 3, 1 byte over
        static uint16_t window[8][kHistWindowScans];
        window[0][2] = 0xBEEF;
        QCOMPARE(HistDeinterleave(bytes, sizeof bytes, 3, 10, window), 2u);
        QCOMPARE(window[0][0], uint16_t(1));
        QCOMPARE(window[2][0], uint16_t(3));
        QCOMPARE(window[0][1], uint16_t(0x104));
        QCOMPARE(window[2][1], uint16_t(6));
        QCOMPARE(window[0][2], uint16_t(0xBEEF));   // never written past what was read
        QCOMPARE(HistDeinterleave(bytes, sizeof bytes, 3, 1, window), 1u);
        QCOMPARE(HistDeinterleave(bytes, sizeof bytes, 0, 10, window), 0u);
        QCOMPARE(HistDeinterleave(bytes, sizeof bytes, 9, 10, window), 0u);
    }
};

QTEST_GUILESS_MAIN(TstHistLayout)
#include "tst_hist_layout.moc"
