// A recording killed with SIGKILL keeps a readable file that loses at most the last
// second of readings, and plays back the codes that were recorded.
#include "tst_acq_kill.h"

#include "framework/msgseam.h"
#include "datafile/aihistdoc.h"
#include "datafile/fileheader.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

using namespace nuv;

class TestAcqKill : public QObject {
    Q_OBJECT
private slots:
    void killDuringRecording();
};

void TestAcqKill::killDuringRecording()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("killed.bin");
    const int intervalMs = 50;
    QProcess child;
    child.start(QStringLiteral(ACQ_KILL_HELPER), {path, QString::number(intervalMs)});
    QVERIFY(child.waitForStarted(10000));
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("recording"));
    QTest::qWait(2700);
    child.kill();   // SIGKILL: no Stop, no final header
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    FileHeaderInfo info;
    QVERIFY(ReadFileHeader(data, size_t(bytes.size()), info));
    QCOMPARE(info.Param.FirstChannel, 0u);
    QCOMPARE(info.Param.ChannelCount, 4u);
    QCOMPARE(info.CodesPerRecord, 4u);
    QVERIFY(info.Start.Year != 0);
    const qint64 onDisk = (bytes.size() - qint64(kHeaderSize)) / 8;
    const qint64 counted = qint64(info.ReadingCount);
    // Every counted reading is on disk; the count lags by at most about a second.
    QVERIFY2(counted >= 1 && counted <= onDisk, qPrintable(QStringLiteral("%1 of %2").arg(counted).arg(onDisk)));
    QVERIFY2(onDisk - counted <= 1000 / intervalMs + 5,
             qPrintable(QStringLiteral("%1 readings lost").arg(onDisk - counted)));

    // Every complete record holds a reading: the fixed inputs of channels 0 and 1 decode,
    // with the header's range information, to what the terminals carried (a record left
    // empty, written at the wrong place or described with the wrong range fails), while
    // the free channels move from reading to reading.
    const uint8_t* rec = data + kHeaderSize;
    QSet<uint16_t> moving;
    for (qint64 j = 0; j < onDisk; ++j) {
        for (int c = 0; c < 2; ++c) {
            const RangeInfo& r = info.Range[c];
            const double v = r.RangeMin + GetLE16(rec + 8 * j + 2 * c) * r.CodeStep;
            QVERIFY2(qAbs(v - kKillInput[c]) <= 0.01 * r.RangeSpan,
                     qPrintable(QStringLiteral("reading %1, AI%2: %3 V").arg(j).arg(c).arg(v)));
        }
        moving.insert(GetLE16(rec + 8 * j + 4));
    }
    QVERIFY(moving.size() > onDisk / 2);

    // Played back, the readings shown carry the codes recorded for them.
    SetMessageHandler([](const MsgRequest&) { return int(IDOK); });
    auto hist = std::make_unique<CAIHistDoc>();
    QVERIFY(hist->OpenFile(path));
    const qint64 shown = hist->m_nScanCount;
    QVERIFY2(shown >= counted && shown <= onDisk, qPrintable(QString::number(shown)));
    std::vector<uint16_t> codes(size_t(shown) * 4);
    QCOMPARE(qint64(hist->ReadScans(0, uint32_t(shown), codes.data())), shown);
    for (qint64 i = 0; i < shown * 4; ++i)
        QCOMPARE(codes[size_t(i)], GetLE16(rec + 2 * i));
    QVERIFY(hist->m_nLoadedScans > 0);
    for (uint32_t j = 0; j < hist->m_nLoadedScans; ++j)
        for (int k = 0; k < 4; ++k)
            QCOMPARE(hist->m_Window[k][j], GetLE16(rec + 8 * j + 2 * k));
    QVERIFY(qAbs(hist->CodeValue(1, codes[1]) - kKillInput[1]) <= 0.02);
    SetMessageHandler({});
}

QTEST_MAIN(TestAcqKill)
#include "tst_acq_kill.moc"
