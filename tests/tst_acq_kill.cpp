// A recording killed with SIGKILL keeps a readable file that loses at most the last
// second of readings.
#include "datafile/fileheader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    FileHeaderInfo info;
    QVERIFY(ReadFileHeader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), info));
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
    // The counted records are complete and hold plausible codes.
    QVERIFY(qint64(bytes.size()) >= qint64(RecordOffset(4, uint64_t(counted))));
}

QTEST_MAIN(TestAcqKill)
#include "tst_acq_kill.moc"
