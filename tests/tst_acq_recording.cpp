// Recording: the data file byte for byte, creation refusals, every fault of a run ending
// in its message with the task released and the file readable.
#include "tst_acq_rig.h"

#include "acquisition/filestatus.h"
#include "app/mainfrm.h"
#include "datafile/aihistdoc.h"
#include "datafile/opendatafile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>

using namespace nuv;
using namespace nuvtest;

namespace {

bool ReadHeader(const QByteArray& bytes, FileHeaderInfo& info)
{
    return ReadFileHeader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), info);
}

const QString kReadFailed = QStringLiteral("读取采样数据失败，请查看日志文件MDQ4170.log中的具体信息");
const QString kInitFailed = QStringLiteral("初始化AI采集任务失败，请查看日志文件MDQ4170.log中的具体信息");
const QString kOverwrite = QStringLiteral("数据文件已存在，是否覆盖？\n");
const QString kInPlayback = QStringLiteral("该文件正在回放窗口中打开，请另选文件名！");

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int Questions(const Rig& rig)
{
    int n = 0;
    for (const MsgRequest& r : rig.requests)
        n += r.buttons == MsgButtons::YesNo ? 1 : 0;
    return n;
}

bool IsEnabled(CAIDoc* doc, int id)
{
    CCmdUI ui(id);
    doc->OnCmdMsg(id, &ui);
    return ui.m_bEnabled;
}

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
    void finalHeaderDescribesRecordedRun_data();
    void finalHeaderDescribesRecordedRun();
    void existingFileIsNotReplacedSilently();
    void fileOpenForPlaybackIsRefused();
    void saveDialogOffersDatedName();
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
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QCOMPARE(rig.doc->m_bFileOpen, 0);
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
    const QByteArray old(kHeaderSize + 40, 'r');
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    f.close();
    Rig rig;
    rig.Record(path);
    MDQ4170SIM_SetFreeBytesOverride(freeBytes);
    MDQ4170SIM_FailReadAfter(0, 2, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.messages.value(0).startsWith(QStringLiteral("数据文件已存在")));   // answered Yes
    rig.messages.removeFirst();
    rig.icons.removeFirst();
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
    // A refusal leaves the earlier recording as it was.
    if (accepted)
        QCOMPARE(ReadAll(path).size(), qsizetype(kHeaderSize + 2 * 16));
    else
        QCOMPARE(ReadAll(path), old);
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
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    if (fault != "release")
        QVERIFY(!MDQ4170SIM_TaskActive(0));
    QCOMPARE(rig.doc->m_bFileOpen, 0);
    const QByteArray bytes = ReadAll(path);
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    const uint64_t n = rig.doc->m_SampleCount.load();
    // A periodic cold-junction failure comes after the reading was counted, before its
    // record: the header counts what the file holds.
    const uint64_t records = fault.startsWith("cjc1") ? n - 1 : n;
    QCOMPARE(info.ReadingCount, records);
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

void TestAcqRecording::finalHeaderDescribesRecordedRun_data()
{
    QTest::addColumn<bool>("unplug");
    QTest::newRow("panel edited right after Stop") << false;
    QTest::newRow("module unplugged mid-run") << true;
}

void TestAcqRecording::finalHeaderDescribesRecordedRun()
{
    QFETCH(bool, unplug);
    QTemporaryDir dir;
    const QString path = dir.filePath("run.bin");
    Rig rig;
    rig.doc->m_Param.Range[0] = 6;
    rig.doc->m_Param.Range[1] = 3;
    rig.doc->m_Param.Range[2] = 10;
    rig.SetRun(0, 3);
    const AIParam run = rig.doc->m_Param;
    RangeInfo expected[8];
    for (int c = 0; c < 8; ++c)
        QVERIFY(MDQ4170_AI_GetRangeInfo(theApp.m_hDevice, run.Range[c], &expected[c]));
    rig.Record(path);
    rig.doc->m_fReadInterval = unplug ? 20.0f : 300.0f;
    if (unplug)
        MDQ4170SIM_UnplugAfter(0, 5);
    rig.doc->OnStartAcquisition();
    if (unplug) {
        QVERIFY(rig.WaitIdle());
        QCOMPARE(rig.messages, QStringList{kReadFailed});
        QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(5));
    } else {
        QVERIFY(rig.WaitCount(2));
        rig.doc->OnStopAcquisition();
        // The worker sleeps out its last cycle while the operator changes range and run.
        QCOMPARE(rig.doc->m_bWorkerIdle.load(), 0);
        auto* range0 = rig.panel->findChild<QComboBox*>(QStringLiteral("1230"));
        range0->setCurrentIndex(0);
        emit range0->activated(0);
        rig.panel->findChild<QCheckBox*>(QStringLiteral("1328"))->click();
        QCOMPARE(rig.doc->m_Param.ChannelCount, 1u);
        QVERIFY(rig.WaitIdle());
        QVERIFY(rig.messages.isEmpty());
    }
    // The run is over and the program usable.
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QCOMPARE(rig.doc->m_bFileOpen, 0);
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    QVERIFY(IsEnabled(rig.doc, 1317));

    const uint64_t n = rig.doc->m_SampleCount.load();
    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize + 6 * n));
    FileHeaderInfo info;
    QVERIFY(ReadHeader(bytes, info));
    QCOMPARE(info.ReadingCount, n);
    QCOMPARE(info.CodesPerRecord, 3u);
    QVERIFY(std::memcmp(&info.Param, &run, sizeof run) == 0);
    for (int c = 0; c < 8; ++c)
        QVERIFY2(std::memcmp(&info.Range[c], &expected[c], sizeof(RangeInfo)) == 0, qPrintable(QString::number(c)));
    QCOMPARE(GetLE32(reinterpret_cast<const uint8_t*>(bytes.constData()) + hdr::Versions), 104u);

    // Played back, the last reading has the values it had live.
    auto hist = std::make_unique<CAIHistDoc>();
    QVERIFY(hist->OpenFile(path));
    QCOMPARE(hist->m_nScanCount, int32_t(n));
    uint16_t codes[3];
    QCOMPARE(hist->ReadScans(int64_t(n) - 1, 1, codes), 1u);
    for (int c = 0; c < 3; ++c) {
        const ChannelReading& live = rig.doc->m_ScanCopy.Channel[c];
        QCOMPARE(codes[c], live.Code);
        const double v = hist->CodeValue(c, codes[c]);
        QVERIFY2(qAbs(v - double(live.Value)) <= 1e-4 * qMax(1.0, qAbs(v)),
                 qPrintable(QStringLiteral("AI%1: %2 played back, %3 live").arg(c).arg(v).arg(live.Value)));
    }

    if (unplug) {   // a Start without the module says so once; plugged in again, the next run works
        rig.messages.clear();
        rig.doc->OnStartAcquisition();
        QVERIFY(rig.WaitIdle());
        QCOMPARE(rig.messages, (QStringList{kOverwrite + path, kInitFailed}));
        QVERIFY(IsEnabled(rig.doc, 1317));
        MDQ4170SIM_SetUnplugged(0, 0);
        rig.doc->OnStartAcquisition();
        QVERIFY(rig.WaitCount(2));
        rig.doc->OnStopAcquisition();
        QVERIFY(rig.WaitIdle());
        QCOMPARE(rig.messages.size(), 3);
    }
}

void TestAcqRecording::existingFileIsNotReplacedSilently()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.bin");
    const QByteArray old("an earlier recording");
    QVERIFY(WriteFile(path, old));
    Rig rig;
    rig.SetRun(0, 2);
    rig.doc->m_fReadInterval = 20.0f;

    // No: nothing starts, nothing changes.
    rig.Record(path);
    rig.doc->m_CodeRing[0][1] = 77;
    rig.answer = IDNO;
    rig.doc->OnStartAcquisition();
    QCOMPARE(rig.requests.size(), 1);
    QCOMPARE(rig.requests[0].text, kOverwrite + path);
    QCOMPARE(rig.requests[0].caption, QStringLiteral("SYS"));
    QCOMPARE(rig.requests[0].buttons, MsgButtons::YesNo);
    QVERIFY(rig.doc->m_pWorker == nullptr);
    QCOMPARE(rig.doc->m_CodeRing[0][1], uint16_t(77));
    QCOMPARE(ReadAll(path), old);

    // A link that leads nowhere counts as an existing file.
    const QString link = dir.filePath("link.bin");
    QVERIFY(QFile::link(dir.filePath("nowhere.bin"), link));
    rig.Record(link);
    rig.doc->OnStartAcquisition();
    QCOMPARE(Questions(rig), 2);
    QCOMPARE(rig.requests.last().text, kOverwrite + link);
    QVERIFY(!QFile::exists(dir.filePath("nowhere.bin")));

    // An empty file is taken without a question.
    const QString empty = dir.filePath("empty.bin");
    QVERIFY(WriteFile(empty, {}));
    rig.Record(empty);
    MDQ4170SIM_FailReadAfter(0, 1, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(Questions(rig), 2);
    QCOMPARE(ReadAll(empty).size(), qsizetype(kHeaderSize + 4));
}

void TestAcqRecording::fileOpenForPlaybackIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shown.bin");
    const QString alias = dir.filePath("alias.bin");
    Rig rig;
    rig.SetRun(0, 1);
    rig.Record(path);
    MDQ4170SIM_FailReadAfter(0, 3, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    const QByteArray recorded = ReadAll(path);
    QCOMPARE(recorded.size(), qsizetype(kHeaderSize + 3 * 2));
    QVERIFY(QFile::link(path, alias));

    auto* main = new CMainFrm;
    theApp.m_pMainWnd = main;
    CAIHistDoc* hist = theApp.OpenDocumentFile(path);
    QVERIFY(hist != nullptr && hist->m_bOpen);
    for (const QString& target : {path, alias}) {
        rig.messages.clear();
        rig.Record(target);
        rig.doc->OnStartAcquisition();
        QCOMPARE(rig.messages, QStringList{kInPlayback});
        QVERIFY(rig.doc->m_pWorker == nullptr);
        QCOMPARE(rig.doc->m_bRunning.load(), 0);
        QCOMPARE(ReadAll(path), recorded);
    }
    // Once the history window is closed the file may be replaced (after the question).
    hist->OnCmdMsg(57602, nullptr);
    QTest::qWait(50);
    rig.messages.clear();
    rig.answer = IDNO;
    rig.doc->OnStartAcquisition();
    QCOMPARE(rig.messages, QStringList{kOverwrite + alias});
    theApp.m_pMainWnd = nullptr;
    delete main;
}

void TestAcqRecording::saveDialogOffersDatedName()
{
    QTemporaryDir dir;
    RememberDataFolder(dir.filePath("earlier.bin"));
    Rig rig;
    auto old = CAIParamVw::SetSaveFileChooser({});   // the program's own dialog
    QString folder, offered;
    bool confirms = true;
    const QDateTime before = QDateTime::currentDateTime();
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dlg == nullptr)
            return;
        folder = dlg->directory().absolutePath();
        offered = dlg->selectedFiles().value(0);
        confirms = !dlg->testOption(QFileDialog::DontConfirmOverwrite);
        dlg->reject();
    });
    rig.panel->findChild<QCheckBox*>(QStringLiteral("1347"))->click();
    const QDateTime after = QDateTime::currentDateTime();
    CAIParamVw::SetSaveFileChooser(old);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(QFileInfo(offered).absolutePath(), folder);
    const QString name = QFileInfo(offered).fileName();
    const auto stamped = [](const QDateTime& t) {
        return QStringLiteral("AI_") + t.toString(QStringLiteral("yyyyMMdd_hhmmss")) + QStringLiteral(".bin");
    };
    QVERIFY2(name == stamped(before) || name == stamped(after), qPrintable(name));
    QVERIFY(!confirms);   // the question comes at Start, once
}

QTEST_MAIN(TestAcqRecording)
#include "tst_acq_recording.moc"
