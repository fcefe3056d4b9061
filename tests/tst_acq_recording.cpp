// Recording: the data file byte for byte, creation refusals, every fault of a run ending
// in its message with the task released and the file readable.
#include "tst_acq_rig.h"

#include "acquisition/filestatus.h"

#include <QTemporaryDir>
#include <cstring>

using namespace nuv;
using namespace nuvtest;

namespace {

bool ReadHeader(const QByteArray& bytes, FileHeaderInfo& info)
{
    return ReadFileHeader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), info);
}

const QString kReadFailed = QStringLiteral("读取采样数据失败，请查看日志文件MDQ4170.log中的具体信息");

} // namespace

class TestAcqRecording : public QObject {
    Q_OBJECT
private slots:
    void init() { MDQ4170SIM_Reset(); }
    void recordedFileByteForByte_data();
    void recordedFileByteForByte();
    void writeFailureOnTenthReading();
    void initTaskFailureWritesEmptyHeader();
    void firstReadFailureWritesEmptyHeader();
    void freeSpaceCheck_data();
    void freeSpaceCheck();
    void createFailureRunsWithoutRecording();
    void faultsEndInMessage_data();
    void faultsEndInMessage();
    void statusTexts();
};

void TestAcqRecording::recordedFileByteForByte_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::newRow("channels 2-4") << 2 << 3;
    QTest::newRow("all eight") << 0 << 8;
}

void TestAcqRecording::recordedFileByteForByte()
{
    QFETCH(int, first);
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.bin");
    Rig rig;
    rig.SetRun(uint32_t(first), uint32_t(count));
    rig.doc->m_Param.Range[first] = 6;
    rig.doc->m_Param.Range[7] = 10;
    rig.doc->m_Param.Reserved0 = 0x1234;
    rig.digit->OnCmdMsg(32813, nullptr);   // decimal rows
    rig.Record(path);
    rig.doc->m_fReadInterval = 150.0f;
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitCount(3));
    rig.doc->OnStopAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(3));
    QCOMPARE(rig.frame->closePosts, 1);
    QCOMPARE(rig.doc->m_bFileOpen, 0);

    const QByteArray bytes = ReadAll(path);
    const int record = 2 * count;
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize + 3 * record));
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    QVERIFY(info.Start.Year >= 2024 && info.Start.Month >= 1);
    HeaderBytes expected;
    BuildFileHeader(theApp.m_hDevice, rig.doc->m_Param, info.Start, uint32_t(count), 3, expected);
    QVERIFY(std::memcmp(bytes.constData(), expected.data(), kHeaderSize) == 0);

    // Records: the codes of the enabled channels in ascending order, as the rows showed them.
    QCOMPARE(rig.digit->Rows()->rowCount(), 3);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < count; ++i) {
            const uint16_t code = GetLE16(reinterpret_cast<const uint8_t*>(bytes.constData()) + kHeaderSize +
                                          j * record + 2 * i);
            QCOMPARE(QString::number(code), rig.digit->Rows()->CellText(j, i + 1));
        }
}

void TestAcqRecording::writeFailureOnTenthReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("full.bin");
    Rig rig;
    rig.SetRun(3, 2);
    rig.Record(path);
    MDQ4170SIM_SetFileWriteLimit(kHeaderSize + 9 * 4);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.messages, QStringList{QStringLiteral(
                               "存盘失败，如果是FAT32磁盘格式，则可能是\n超过4GB长度而出错，或者是没有剩余磁盘空间")});
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QCOMPARE(rig.doc->m_bFileOpen, 0);   // closed through WM_USER+9
    QCOMPARE(rig.frame->closePosts, 1);
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize + 9 * 4));
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    QCOMPARE(info.ReadingCount, uint64_t(10));
    QCOMPARE(GetLE64(reinterpret_cast<const uint8_t*>(bytes.constData()) + hdr::ReadingCount2), uint64_t(10));
    QCOMPARE(info.CodesPerRecord, 2u);
    // Start is offered again.
    CCmdUI ui(1317);
    rig.doc->OnCmdMsg(1317, &ui);
    QVERIFY(ui.m_bEnabled);
}

void TestAcqRecording::initTaskFailureWritesEmptyHeader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("init.bin");
    Rig rig;
    rig.Record(path);
    MDQ4170SIM_FailInitTask(0, 1);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.messages.value(0), QStringLiteral("初始化AI采集任务失败，请查看日志文件MDQ4170.log中的具体信息"));
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize));
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    QCOMPARE(info.ReadingCount, uint64_t(0));
    QCOMPARE(info.CodesPerRecord, 0u);
    QCOMPARE(QByteArray(bytes.constData() + hdr::StartTime, 16), QByteArray(16, '\0'));
    QCOMPARE(rig.doc->m_bRunning.load(), 1);   // left for Stop
    QCOMPARE(rig.doc->m_bFileOpen, 1);
}

void TestAcqRecording::firstReadFailureWritesEmptyHeader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("read0.bin");
    Rig rig;
    rig.Record(path);
    MDQ4170SIM_FailReadAfter(0, 0, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.messages, QStringList{kReadFailed});
    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize));
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    QCOMPARE(info.ReadingCount, uint64_t(0));
    QCOMPARE(info.CodesPerRecord, 0u);
    QVERIFY(info.Start.Year != 0);
}

void TestAcqRecording::freeSpaceCheck_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("99.9 MB") << qint64(99.9 * 1048576) << false;
    QTest::newRow("100 MB") << qint64(100) * 1048576 << true;
}

void TestAcqRecording::freeSpaceCheck()
{
    QFETCH(qint64, freeBytes);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString path = dir.filePath("space.bin");
    Rig rig;
    rig.Record(path);
    MDQ4170SIM_SetFreeBytesOverride(freeBytes);
    MDQ4170SIM_FailReadAfter(0, 2, 0);
    rig.doc->OnStartAcquisition();
    if (accepted) {
        QCOMPARE(rig.doc->m_bFileOpen, 1);
        QCOMPARE(rig.doc->m_nFreeDiskMB, 100);
        QVERIFY(rig.messages.isEmpty());
    } else {
        QCOMPARE(rig.messages, QStringList{QStringLiteral("硬盘剩余空间不足100M，请放弃存盘操作...")});
        QCOMPARE(rig.icons.value(0), MsgIcon::Stop);
        QCOMPARE(rig.doc->m_nFreeDiskMB, 99);
        QCOMPARE(rig.doc->m_bFileOpen, 0);
        QCOMPARE(rig.doc->m_bSaveFile, 0);
        QCOMPARE(rig.doc->m_bRunning.load(), 1);   // the run goes on without recording
    }
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(2));
    QCOMPARE(ReadAll(path).size(), accepted ? qsizetype(kHeaderSize + 2 * 16) : qsizetype(0));
}

void TestAcqRecording::createFailureRunsWithoutRecording()
{
    QTemporaryDir dir;
    Rig rig;
    rig.Record(dir.filePath("missing/folder/x.bin"));
    MDQ4170SIM_FailReadAfter(0, 1, 0);
    rig.doc->OnStartAcquisition();
    QCOMPARE(rig.messages.value(0), QStringLiteral("创建文件对象失败..."));
    QCOMPARE(rig.icons.value(0), MsgIcon::Stop);
    QCOMPARE(rig.doc->m_bSaveFile, 0);
    QCOMPARE(rig.doc->m_bFileOpen, 0);
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(1));
    QCOMPARE(rig.frame->closePosts, 0);
}

void TestAcqRecording::faultsEndInMessage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("read failure") << "read" << kReadFailed;
    QTest::newRow("read time-out") << "readTimeout"
                                   << QStringLiteral("读取采样数据超时错误, 如果触发事件迟迟不来或者需要很长的采样时间，"
                                                     "请延长超时时间或者直接设置为－1.0");
    QTest::newRow("first CJC failure") << "cjc0" << QStringLiteral("Read CJC data error");
    QTest::newRow("first CJC time-out") << "cjc0Timeout" << QStringLiteral("Read CJC data timeout, exit read function.");
    QTest::newRow("periodic CJC failure") << "cjc1" << kReadFailed;
    QTest::newRow("periodic CJC time-out") << "cjc1Timeout" << QStringLiteral("读取冷端补偿数据失败，退出采集");
    QTest::newRow("release failure") << "release"
                                     << QStringLiteral("释放采集任务失败，请查看日志文件MDQ4170.log中的具体信息");
}

void TestAcqRecording::faultsEndInMessage()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("fault.bin");
    Rig rig;
    rig.SetRun(0, 3);
    rig.Record(path);
    rig.doc->m_fReadInterval = 20.0f;
    if (fault == "read" || fault == "readTimeout")
        MDQ4170SIM_FailReadAfter(0, 3, fault == "readTimeout");
    else if (fault.startsWith("cjc0"))
        MDQ4170SIM_FailCJCAfter(0, 0, fault.endsWith("Timeout"));
    else if (fault.startsWith("cjc1"))
        MDQ4170SIM_FailCJCAfter(0, 1, fault.endsWith("Timeout"));
    else
        MDQ4170SIM_FailReleaseTask(0, 1);
    rig.doc->OnStartAcquisition();
    if (fault == "release") {
        QVERIFY(rig.WaitCount(2));
        rig.doc->OnStopAcquisition();
    }
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.messages, QStringList{message});
    QCOMPARE(rig.doc->m_bRunning.load(), fault == "release" ? 0 : 1);
    if (fault != "release") {
        QVERIFY(!MDQ4170SIM_TaskActive(0));
        rig.doc->OnCmdMsg(1316, nullptr);
        rig.doc->OnCmdMsg(32796, nullptr);
    }
    QCOMPARE(rig.doc->m_bFileOpen, 0);
    const QByteArray bytes = ReadAll(path);
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    const uint64_t n = rig.doc->m_SampleCount.load();
    QCOMPARE(info.ReadingCount, n);
    // A periodic cold-junction failure comes after the reading was counted, before its record.
    const uint64_t records = fault.startsWith("cjc1") ? n - 1 : n;
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize + 6 * records));
    if (fault == "read" || fault == "readTimeout")
        QCOMPARE(n, uint64_t(3));
    if (fault.startsWith("cjc0"))
        QCOMPARE(n, uint64_t(0));   // the first reading is neither counted nor recorded
    if (fault.startsWith("cjc1"))
        QVERIFY(n >= 1);
}

void TestAcqRecording::statusTexts()
{
    QCOMPARE(StoredSizeText(StoredMegabytes(10, 2)), QStringLiteral("0.000 MB"));
    QCOMPARE(StoredSizeText(StoredMegabytes(1048576, 8)), QStringLiteral("16.000 MB"));
    QCOMPARE(FreeSpaceText(500, 1.0), QStringLiteral("499 MB"));
    QCOMPARE(FreeSpaceText(150, 49.75), QStringLiteral("100 MB"));   // 100.25 is still above 100
    QCOMPARE(FreeSpaceText(150, 50.0), QStringLiteral("磁盘空间小于100MB，请停止存盘"));
    QCOMPARE(FreeMegabytes(uint64_t(99.9 * 1048576)), 99);
    QCOMPARE(FreeMegabytes(uint64_t(1) << 62), INT32_MAX);
}

QTEST_MAIN(TestAcqRecording)
#include "tst_acq_recording.moc"
