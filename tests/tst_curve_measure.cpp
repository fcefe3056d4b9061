// Measuring on the traces: channel statistics (sweep, window, whole file), the time axis,
// fitted scales and the cursor read-out, on known data.
#include "acquisition/aidoc.h"
#include "views/aicurveview.h"
#include "views/chanstats.h"
#include "views/curvemeasure.h"
#include "views/measurectl.h"

#include "tst_hist_writer.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace nuv;
using namespace nuv::measure;

namespace {

// Channel 0: ±32 V in steps of 1/1024 (exact in single precision); channel 1: a
// thermocouple from 0 ℃ in steps of 1/64.
histtest::Spec RampSpec(uint64_t readings)
{
    histtest::Spec s;
    s.first = 0;
    s.count = 2;
    s.readings = readings;
    s.range[0] = 6;
    s.rangeMin[0] = -32.0;
    s.codeStep[0] = 1.0 / 1024;
    s.range[1] = 10;
    s.rangeMin[1] = 0.0;
    s.codeStep[1] = 1.0 / 64;
    return s;
}

// Reading j: channel 0 at −32 + j / 8 V, channel 1 at 100 + j ℃, broken when j ends in 5.
QByteArray RampFile(uint64_t readings, int tornBytes = 0)
{
    QByteArray f = histtest::Header(RampSpec(readings));
    for (uint64_t j = 0; j < readings; ++j) {
        uint8_t rec[4];
        histtest::le16(rec, uint16_t(128 * j));
        histtest::le16(rec + 2, j % 10 == 5 ? 0xFFFF : uint16_t(64 * (100 + j)));
        f.append(reinterpret_cast<const char*>(rec), 4);
    }
    f.append(QByteArray(tornBytes, '\x01'));
    return f;
}

bool SameSummary(const CodeSummary& a, const CodeSummary& b)
{
    return a.count == b.count && a.broken == b.broken && a.sum == b.sum && a.min == b.min && a.max == b.max;
}

ChannelDecode Decode(int channel, uint32_t range, double offset, double gain)
{
    ChannelDecode d;
    d.channel = channel;
    d.rangeCode = range;
    d.offset = offset;
    d.gain = gain;
    return d;
}

} // namespace

class TstCurveMeasure : public QObject {
    Q_OBJECT
private slots:
    void slidingAndBlockSummariesAgree();
    void statisticsOfARampFile();
    void timeAxisAndClock();
    void fittedScales();
    void cursorReadout();
    void liveViewMeasuresItsSweep();
    void wholeFilePassOnItsThread();
};

// The sliding window and the vector pass over interleaved records against a reading-by-
// reading count, with break codes in a thermocouple slot (left out) and in a volt slot
// (an ordinary reading there).
void TstCurveMeasure::slidingAndBlockSummariesAgree()
{
    QRandomGenerator rng(7);
    const uint32_t ranges[8] = {6, 10, 0, 15, 8, 9, 3, 12};
    std::vector<uint16_t> codes(8 * 3000);
    for (size_t i = 0; i < codes.size(); ++i) {
        const uint32_t r = rng.bounded(100u);
        // Runs of rising and falling codes, some extremes and break codes.
        codes[i] = r < 8 ? 0xFFFF : r < 10 ? 0 : uint16_t(30000 + 20 * (i % 97) + rng.bounded(200u));
    }
    auto reference = [&](int channels, int slot, size_t from, size_t to) {
        CodeSummary s;
        for (size_t j = from; j < to; ++j)
            s.Add(codes[j * size_t(channels) + size_t(slot)], Breakable(ranges[slot]));
        return s;
    };

    auto sweep = std::make_unique<SweepStats>();
    sweep->Configure(8, ranges, 800);
    for (size_t j = 0; j < 3000; ++j) {
        sweep->Push(&codes[j * 8]);
        if (j % 149 == 0 || j == 799 || j == 800 || j == 2999)
            for (int c = 0; c < 8; ++c)
                QVERIFY2(SameSummary(sweep->Summary(c), reference(8, c, j + 1 > 800 ? j + 1 - 800 : 0, j + 1)),
                         qPrintable(QStringLiteral("reading %1 slot %2").arg(j).arg(c)));
    }
    QCOMPARE(sweep->Size(), 800);
    sweep->Reset();
    QCOMPARE(sweep->Summary(1).count, 0u);
    sweep->Push(&codes[0]);
    QVERIFY(SameSummary(sweep->Summary(3), reference(8, 3, 0, 1)));

    // Every record width, with a length that leaves a tail of records after the groups.
    for (int n = 1; n <= 8; ++n) {
        const uint64_t records = uint64_t(codes.size()) / uint64_t(n) - 3;
        std::vector<uint8_t> bytes(size_t(records) * size_t(n) * 2);
        for (size_t i = 0; i < bytes.size() / 2; ++i)
            histtest::le16(&bytes[2 * i], codes[i]);
        CodeSummary got[8];
        SummariseRecords(bytes.data(), records, n, ranges, got);
        for (int c = 0; c < n; ++c)
            QVERIFY2(SameSummary(got[c], reference(n, c, 0, records)), qPrintable(QStringLiteral("%1 channels, slot %2").arg(n).arg(c)));
    }
    // A slot whose every reading broke has no figures.
    const uint16_t broken[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    const CodeSummary b = SummariseCodes(broken, 3, 10);
    QCOMPARE(b.count, 0u);
    QCOMPARE(b.broken, 3u);
    QVERIFY(!StatsOf(b, Decode(1, 10, 0, 1)).valid);
}

void TstCurveMeasure::statisticsOfARampFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ramp.bin"));
    // 271 readings and half a record torn off the end.
    QVERIFY(histtest::Write(path, RampFile(271, 2)));

    std::atomic<bool> cancel{false};
    std::vector<uint64_t> steps;
    FileStats fs = ComputeFileStats(path, &cancel, [&](uint64_t done, uint64_t total) {
        QCOMPARE(total, 271u);
        steps.push_back(done);
    }, 64 * 4);   // blocks of 64 records
    QVERIFY(fs.Ok());
    QCOMPARE(fs.Readings, 271u);
    QCOMPARE(fs.Channels, 2);
    QCOMPARE(steps, (std::vector<uint64_t>{64, 128, 192, 256, 271}));

    const ChannelStats v = StatsOf(fs.Summary[0], fs.Decode[0]);
    QCOMPARE(v.max, 1.75);
    QCOMPARE(v.min, -32.0);
    QCOMPARE(v.mid, -15.125);
    QCOMPARE(v.amplitude, 33.75);
    QCOMPARE(v.mean, -15.125);
    QCOMPARE(v.broken, 0u);
    const ChannelStats t = StatsOf(fs.Summary[1], fs.Decode[1]);
    QCOMPARE(t.count, 244u);
    QCOMPARE(t.broken, 27u);
    QCOMPARE(t.max, 370.0);
    QCOMPARE(t.min, 100.0);
    QCOMPARE(t.mean, 235.0);

    const StatsRowText row = StatsRow(t, fs.Decode[1], 3);
    QCOMPARE(row.channel, QStringLiteral("AI1"));
    QCOMPARE(row.cells[0], QStringLiteral("370.000 ℃"));
    QCOMPARE(row.cells[3], QStringLiteral("270.000 ℃"));
    QVERIFY(row.tip.contains(QStringLiteral("27")));

    // The same readings through the visible-window summary.
    std::vector<uint16_t> ch1;
    for (int j = 0; j < 271; ++j)
        ch1.push_back(j % 10 == 5 ? 0xFFFF : uint16_t(64 * (100 + j)));
    QVERIFY(SameSummary(SummariseCodes(ch1.data(), 271, 10), fs.Summary[1]));

    // Cancelled after the first block; a 1-reading file; a foreign file.
    fs = ComputeFileStats(path, &cancel, [&](uint64_t, uint64_t) { cancel = true; }, 64 * 4);
    QCOMPARE(fs.Status, FileStatsStatus::Cancelled);
    QCOMPARE(fs.Done, 64u);
    QVERIFY(!FileStatsMessage(fs).isEmpty());

    QVERIFY(histtest::Write(path, RampFile(1)));
    fs = ComputeFileStats(path);
    QVERIFY(fs.Ok());
    const ChannelStats one = StatsOf(fs.Summary[1], fs.Decode[1]);
    QCOMPARE(one.max, 100.0);
    QCOMPARE(one.min, 100.0);
    QCOMPARE(one.amplitude, 0.0);

    histtest::Spec foreign = RampSpec(1);
    foreign.productId = 0x4171;
    QVERIFY(histtest::Write(path, foreign));
    QCOMPARE(ComputeFileStats(path).Status, FileStatsStatus::Foreign);
    QCOMPARE(ComputeFileStats(dir.filePath(QStringLiteral("none.bin"))).Status, FileStatsStatus::OpenFailed);
}

void TstCurveMeasure::timeAxisAndClock()
{
    QCOMPARE(TimeFormFor(59999.0), TimeForm::Seconds);
    QCOMPARE(TimeFormFor(60000.0), TimeForm::MinSec);
    QCOMPARE(TimeFormFor(3600000.0), TimeForm::HourMinSec);
    QCOMPARE(ElapsedText(12500.0, TimeForm::Seconds, 1), QStringLiteral("12.5s"));
    QCOMPARE(ElapsedText(125500.0, TimeForm::MinSec, 1), QStringLiteral("2:05.5"));
    QCOMPARE(ElapsedText(3725000.0, TimeForm::HourMinSec, 0), QStringLiteral("1:02:05"));
    QCOMPARE(ElapsedText(59999.6, TimeForm::MinSec, 0), QStringLiteral("1:00"));
    QCOMPARE(TimeDecimals(50 * 800.0), 0);
    QCOMPARE(TimeDecimals(50 * 150.0), 1);
    QCOMPARE(TimeDecimals(50 * 100.2), 2);

    // 800 readings of 800 ms reach 640 s: minutes and seconds, every 40 s.
    const curve::Layout lay = curve::ComputeLayout(860, 630, 8);
    curve::Label labels[64];
    int n = TimeAxisLabels(lay, 0, 800, 800.0, 0, labels, 64);
    QCOMPARE(labels[0].text, QStringLiteral("Time"));
    QCOMPARE(labels[1].text, QStringLiteral("0"));
    QCOMPARE(labels[2].text, QStringLiteral("0:40"));
    QCOMPARE(labels[2].x, lay.plot.left + 50);
    QCOMPARE(labels[n - 1].text, QStringLiteral("10:00"));   // 640 s would stand right of the plot
    // Scrolled by 37 readings of 150 ms: the first label is reading 50 at 7.5 s.
    n = TimeAxisLabels(lay, 37, 300, 150.0, 0, labels, 64);
    QCOMPARE(labels[1].text, QStringLiteral("7.5s"));
    QCOMPARE(labels[1].x, lay.plot.left + 13);
    // The third sweep of a run: index 0 is reading 1600, 21:20 after the start.
    n = TimeAxisLabels(lay, 0, 800, 800.0, 1600, labels, 64);
    QCOMPARE(labels[1].text, QStringLiteral("21:20"));
    QCOMPARE(labels[2].text, QStringLiteral("22:00"));

    const QDateTime start(QDate(2024, 1, 2), QTime(23, 59, 59, 500));
    QCOMPARE(ClockText(start, 250.0, 3), QStringLiteral("00:00:00.250"));
    QCOMPARE(ClockText(QDateTime(), 1000.0, 4000), QStringLiteral("01:06:40.000"));
}

void TstCurveMeasure::fittedScales()
{
    // A 100-370 ℃ process in four divisions: 0..400 in steps of 100.
    FittedScale f = FitScale(true, 100.0, 370.0, 4, 1300.0);
    QVERIFY(f.fitted);
    QCOMPARE(f.lower, 0.0);
    QCOMPARE(f.upper, 400.0);
    QCOMPARE(f.step, 100.0);
    // Eight divisions: 50..400 in seven steps of 50; the data keep their 5 % margin inside.
    f = FitScale(true, 100.0, 370.0, 8, 1300.0);
    QCOMPARE(f.lower, 50.0);
    QCOMPARE(f.upper, 400.0);
    QCOMPARE(f.divisions, 7);
    // -4..4 V in four divisions: -5..5 in steps of 5 rather than -5..15.
    f = FitScale(true, -3.999, 3.979, 4, 10.0);
    QCOMPARE(f.lower, -5.0);
    QCOMPARE(f.upper, 5.0);
    // A single reading of 5 V: ±5 % of it, on a step of 0.2.
    f = FitScale(true, 5.0, 5.0, 4, 20.0);
    QVERIFY(f.fitted);
    QCOMPARE(f.step, 0.2);
    QVERIFY(f.lower <= 4.75 && f.upper >= 5.25 && f.upper - f.lower < 1.0);
    // Flat zero: a thousandth of the range's span each side.
    f = FitScale(true, 0.0, 0.0, 4, 20.0);
    QVERIFY(f.fitted && f.lower <= -0.02 && f.upper >= 0.02 && f.upper - f.lower < 0.1);
    QCOMPARE(f.decimals, 2);
    // Nothing to fit.
    QVERIFY(!FitScale(false, 0.0, 0.0, 4, 20.0).fitted);
    QVERIFY(!FitScale(true, 0.0, qInf(), 4, 20.0).fitted);

    // Rows and labels on the band [base - inner, base].
    f = FitScale(true, 100.0, 370.0, 4, 1300.0);
    int y = 0;
    QVERIFY(FittedRow(f, 200.0, 80, 0.0, &y));
    QCOMPARE(y, 200);
    QVERIFY(FittedRow(f, 200.0, 80, 400.0, &y));
    QCOMPARE(y, 120);
    QVERIFY(!FittedRow(f, 200.0, 0, 100.0, &y));
    curve::Label l[8];
    QCOMPARE(FittedLabels(f, 200.0, 80, 56, 3, 2, 10, true, l, 8), 5);
    QCOMPARE(l[0].text, QStringLiteral("400.0 ℃"));
    QCOMPARE(l[0].y, 124);
    QCOMPARE(l[2].text, QStringLiteral("AI2 200.0 ℃"));
    QCOMPARE(l[2].rank, int(curve::kRankName));
    QCOMPARE(l[4].y, 204);
}

void TstCurveMeasure::cursorReadout()
{
    ReadoutInput in;
    in.cursors = 2;
    in.index[0] = 20;
    in.index[1] = 120;
    in.periodMs = 800.0;
    in.decimals = 3;
    in.channels = 3;
    in.ch[0].decode = Decode(3, 6, -32.0, 1.0 / 1024);
    in.ch[0].has[0] = in.ch[0].has[1] = true;
    in.ch[0].code[0] = 32768 + 1024;   // 1 V
    in.ch[0].code[1] = 32768 - 512;    // -0.5 V
    in.ch[1].decode = Decode(4, 10, 0.0, 1.0 / 64);
    in.ch[1].has[0] = true;            // cursor 2 beyond the readings
    in.ch[1].code[0] = 64 * 25;
    in.ch[2].decode = Decode(5, 9, 0.0, 1.0 / 64);
    in.ch[2].has[0] = in.ch[2].has[1] = true;
    in.ch[2].code[0] = 0xFFFF;         // broken
    in.ch[2].code[1] = 64;

    Readout r;
    MakeReadout(in, r);
    QCOMPARE(r.rows, 4);
    QCOMPARE(r.columns, 6);
    QCOMPARE(r.cell[0][3], QStringLiteral("AI3(V)"));
    QCOMPARE(r.cell[0][4], QStringLiteral("AI4(℃)"));
    QCOMPARE(r.cell[1][1], QStringLiteral("20"));
    QCOMPARE(r.cell[1][2], QStringLiteral("16.000s"));
    QCOMPARE(r.cell[1][3], QStringLiteral("1.000"));
    QCOMPARE(r.cell[1][4], QStringLiteral("25.000"));
    QCOMPARE(r.cell[2][4], QStringLiteral("--"));
    QCOMPARE(r.cell[3][0], QStringLiteral("Δ"));
    QCOMPARE(r.cell[3][1], QStringLiteral("100"));
    QCOMPARE(r.cell[3][2], QStringLiteral("80.000s"));
    QCOMPARE(r.cell[3][3], QStringLiteral("-1.500"));
    QCOMPARE(r.cell[3][4], QStringLiteral("--"));
    QCOMPARE(r.cell[1][5], QStringLiteral("断偶"));
    QCOMPARE(r.cell[2][5], QStringLiteral("1.000"));
    QCOMPARE(r.cell[3][5], QStringLiteral("--"));
    QCOMPARE(ReadoutLine(r, in, 1), QStringLiteral("光标1  #20  16.000s  AI3 1.000 V  AI4 25.000 ℃  AI5 断偶"));

    // Codes in hexadecimal, one cursor, no read interval: no time column.
    in.cursors = 1;
    in.periodMs = 0.0;
    in.mode = ReadoutMode::Hex;
    MakeReadout(in, r);
    QCOMPARE(r.rows, 2);
    QCOMPARE(r.columns, 5);
    QCOMPARE(r.cell[0][2], QStringLiteral("AI3(Hex)"));
    QCOMPARE(r.cell[1][2], QStringLiteral("8400"));
    QCOMPARE(r.cell[1][4], QStringLiteral("ffff"));
    // Cursor 2 left of cursor 1: negative differences, in code units too.
    in.cursors = 2;
    in.ch[1].has[1] = true;
    in.ch[1].code[1] = 0;
    in.index[1] = 5;
    MakeReadout(in, r);
    QCOMPARE(r.cell[3][1], QStringLiteral("-15"));
    QCOMPARE(r.cell[3][2], QStringLiteral("-600"));
    QCOMPARE(r.cell[3][3], QStringLiteral("-640"));
}

// The live waveform view on a known sweep: statistics kept reading by reading equal a
// rescan (the sweep's empty first slot left out), start afresh when the sweep does,
// fitted traces stay in their band, the read-out shows the readings under the cursors.
void TstCurveMeasure::liveViewMeasuresItsSweep()
{
    auto doc = std::make_unique<CAIDoc>();
    doc->m_Param.FirstChannel = 2;
    doc->m_Param.ChannelCount = 2;
    doc->m_Param.Range[2] = 5;    // ±10 V
    doc->m_Param.Range[3] = 10;   // K thermocouple
    for (int j = 0; j < 800; ++j) {
        doc->m_CodeRing[2][j] = uint16_t(30000 + 10 * j);
        doc->m_CodeRing[3][j] = j % 7 == 3 ? 0xFFFF : uint16_t(20000 + (j % 50));
    }
    doc->m_CodeRing[2][0] = 0;    // the cleared slot of the run's first sweep
    CAICurveView view;
    view.SetDocument(doc.get());
    view.show();
    view.resize(900, 640);
    view.OnInitialUpdate();
    view.SetMeasureSource({[] { return 1000.0; }, [] { return 2; },
                           [&doc] { return doc->SampleCount() < 800 ? 1 : 0; }, [] { return int64_t(0); }});
    view.SetStatisticsWanted(true);

    ChannelDecode d[8];
    ChannelStats st[8];
    auto expect = [&](int from, int to) {
        QCOMPARE(view.ShownStatistics(d, st), 2);
        for (int k = 0; k < 2; ++k) {
            const CodeSummary rescan = SummariseCodes(&doc->m_CodeRing[2 + k][from], to - from, 5 + 5 * k);
            const ChannelStats want = StatsOf(rescan, d[k]);
            QCOMPARE(d[k].channel, 2 + k);
            QCOMPARE(st[k].count, want.count);
            QCOMPARE(st[k].broken, want.broken);
            QCOMPARE(st[k].max, want.max);
            QCOMPARE(st[k].min, want.min);
            QCOMPARE(st[k].mean, want.mean);
        }
    };
    for (const int pos : {5, 6, 300, 799}) {   // readings arrive
        doc->m_SampleCount.store(uint64_t(pos));
        doc->m_nSweepPos.store(pos);
        view.RedrawAll();
        expect(1, pos);
    }
    doc->m_CodeRing[2][0] = 30000;   // the sweep wrapped: slot 0 holds reading 800
    doc->m_SampleCount.store(850);
    doc->m_nSweepPos.store(50);
    view.RedrawAll();
    expect(0, 50);

    view.SetFitScales(true);
    const FittedScale& f = view.GetFittedScale(2);   // strip 2 shows channel 2
    QVERIFY(f.fitted && f.lower <= st[0].min && f.upper >= st[0].max && f.upper - f.lower < 1.0);
    const int base = int(view.GetStripGeom(2).base), inner = view.GetInnerHeight();
    QVERIFY(view.GetPointCount(2) == 50);
    for (int j = 0; j < 50; ++j)
        QVERIFY(view.GetPoints(2)[j].y() <= base && view.GetPoints(2)[j].y() >= base - inner);

    view.SetReadout(true);
    view.SetTimeAxis(true);
    const int left = view.GetLayout().plot.left;
    view.SetCursorX(0, left + 10);
    view.SetCursorX(1, left + 30);
    view.UpdateReadout();
    const Readout& r = view.GetReadout();
    QCOMPARE(r.rows, 4);
    QCOMPARE(r.cell[1][1], QStringLiteral("10"));
    QCOMPARE(r.cell[1][2], QStringLiteral("0:10.000"));   // 1000 ms per reading, an 800 s sweep
    QCOMPARE(r.cell[1][3], QString::number(CodeToValue(30100, d[0].offset, d[0].gain), 'f', 3));
    QCOMPARE(r.cell[1][4], QStringLiteral("断偶"));        // slot 10: 10 % 7 == 3
    QCOMPARE(r.cell[3][1], QStringLiteral("20"));
    QCOMPARE(r.cell[3][3], QString::number(CodeToValue(30300, d[0].offset, d[0].gain) -
                                               CodeToValue(30100, d[0].offset, d[0].gain), 'f', 3));
}

// The pass of the history window runs on a thread, reports by posted messages and ends
// with the figures of a direct pass; a cancelled pass ends without them.
void TstCurveMeasure::wholeFilePassOnItsThread()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ramp.bin"));
    QVERIFY(histtest::Write(path, RampFile(271)));
    CFileStatsJob job;
    QSignalSpy done(&job, &CFileStatsJob::finished);
    QVERIFY(job.Start(path));
    QVERIFY(!job.Start(path));   // one pass at a time
    QVERIFY(done.wait(5000));
    QVERIFY(!job.IsRunning());
    const FileStats direct = ComputeFileStats(path);
    QVERIFY(job.Result().Ok());
    for (int k = 0; k < 2; ++k)
        QVERIFY(SameSummary(job.Result().Summary[k], direct.Summary[k]));

    // A file large enough for several blocks, cancelled at once.
    histtest::Spec big = RampSpec(uint64_t(1) << 24);   // 64 MiB, mostly a hole
    QVERIFY(histtest::WriteSparse(dir.filePath(QStringLiteral("big.bin")), big, 16));
    QVERIFY(job.Start(dir.filePath(QStringLiteral("big.bin"))));
    job.Cancel();
    QVERIFY(done.wait(5000));
    QCOMPARE(job.Result().Status, FileStatsStatus::Cancelled);
    QVERIFY(job.Result().Done < job.Result().Readings);
}

QTEST_MAIN(TstCurveMeasure)
#include "tst_curve_measure.moc"
