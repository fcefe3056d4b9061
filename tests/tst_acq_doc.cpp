// The live document: run-state rules of the commands, Start's refusals, the sweep slots,
// the close step.
#include "tst_acq_rig.h"

#include "res/resource.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>

using namespace nuv;
using namespace nuvtest;

namespace {
struct UIState {
    bool handled, enabled;
    int check;
    QString text;
};
UIState Update(CAIDoc* doc, int id)
{
    CCmdUI ui(id);
    const bool h = doc->OnCmdMsg(id, &ui);
    return {h, ui.m_bEnabled, ui.m_bCheckSet ? ui.m_nCheck : -1, ui.m_bTextSet ? ui.m_strText : QString()};
}
} // namespace

class TestAcqDoc : public QObject {
    Q_OBJECT
private slots:
    void runStateTable();
    void startRefusesWithoutChannels();
    void startRefusesInSimulationState();
    void startRefusesWhileWorkerBusy();
    void sweepSlots_data();
    void sweepSlots();
    void hiddenWaveLeavesRingsCleared();
    void calibrationRefusedWhileRunning();
    void closeStepStopsWaitsAndStores();
    void closeWhileWorkerBoxIsUpKeepsHeader();
};

void TestAcqDoc::runStateTable()
{
    QTemporaryDir dir;
    Rig rig;
    CAIDoc* doc = rig.doc;

    // Idle, no file.
    UIState s = Update(doc, 1317);
    QVERIFY(s.handled && s.enabled);
    QCOMPARE(s.text, QStringLiteral("开始采集任务"));
    QVERIFY(!Update(doc, 1316).enabled);
    QVERIFY(!Update(doc, 32796).enabled);
    QVERIFY(Update(doc, 32869).enabled);
    QCOMPARE(Update(doc, 32818).check, 1);
    QVERIFY(!Update(doc, 32850).handled);

    // Running, recording.
    const QString path = dir.filePath("run.bin");
    rig.Record(path);
    MDQ4170SIM_FailReadAfter(0, 5, 0);
    doc->OnCmdMsg(1317, nullptr);
    QCOMPARE(doc->m_bRunning.load(), 1);
    QVERIFY(!Update(doc, 1317).enabled);
    QVERIFY(Update(doc, 1316).enabled);
    QVERIFY(!Update(doc, 32796).enabled);

    // The worker ends by itself on a read failure: the run is over as after Stop, its
    // file closed on WM_USER+9 and listed, the panel back, Start offered again.
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.messages, QStringList{QStringLiteral("读取采样数据失败，请查看日志文件MDQ4170.log中的具体信息")});
    QCOMPARE(doc->m_bRunning.load(), 0);
    QCOMPARE(rig.frame->closePosts, 1);
    QCOMPARE(doc->m_bFileOpen, 0);
    QCOMPARE(theApp.RecentFiles().value(0), path);
    QCOMPARE(doc->GetTitle(), QStringLiteral("AI模拟量输入"));
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    QVERIFY(Update(doc, 1317).enabled);
    QVERIFY(!Update(doc, 1316).enabled);
    QVERIFY(!Update(doc, 32796).enabled);
    QVERIFY(rig.panel->findChild<QWidget*>(QStringLiteral("1327"))->isEnabled());

    MDQ4170SIM_FailReadAfter(0, -1, 0);
    doc->OnCmdMsg(1317, nullptr);
    QCOMPARE(doc->m_bRunning.load(), 1);
    QVERIFY(rig.WaitCount(2));
    doc->OnCmdMsg(1316, nullptr);
    QVERIFY(rig.WaitIdle());
    QCOMPARE(doc->m_bFileOpen, 0);
    QVERIFY(Update(doc, 1317).enabled);
}

void TestAcqDoc::startRefusesWithoutChannels()
{
    QTemporaryDir dir;
    Rig rig;
    rig.SetRun(0, 0);
    rig.Record(dir.filePath("none.bin"));
    rig.doc->m_CodeRing[0][1] = 77;
    rig.doc->OnStartAcquisition();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("采样使能通道数为0，无法进行采样！")});
    QVERIFY(rig.doc->m_pWorker == nullptr);
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QCOMPARE(rig.doc->m_CodeRing[0][1], uint16_t(0));   // cleared before the refusal
    QVERIFY(!QFile::exists(dir.filePath("none.bin")));
}

void TestAcqDoc::startRefusesInSimulationState()
{
    QTemporaryDir dir;
    Rig rig(false);
    // The failed load leaves the library's default record, which the panel shows.
    for (int k = 0; k < 8; ++k) {
        QVERIFY(rig.doc->m_Param.Range[k] == 0);
        QVERIFY(rig.panel->findChild<QCheckBox*>(QString::number(IDC_CHANNEL_BOX[k]))->isChecked());
    }
    QCOMPARE(rig.doc->m_Param.FirstChannel, 0u);
    QCOMPARE(rig.doc->m_Param.ChannelCount, 8u);
    rig.doc->m_Param.Range[2] = 5;
    rig.doc->LoadParam();
    QCOMPARE(rig.doc->m_Param.Range[2], 0u);

    rig.Record(dir.filePath("sim.bin"));
    rig.doc->m_ValueRing[3][10] = 1.5f;
    rig.doc->m_nScrollPos = 40;
    ScanBlock scan{};
    rig.digit->AppendReading(1, scan);
    rig.doc->OnStartAcquisition();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("对不起，设备不存在.....")});
    QCOMPARE(rig.icons.value(0), MsgIcon::Stop);
    QCOMPARE(rig.doc->m_ValueRing[3][10], 0.0f);
    QCOMPARE(rig.doc->m_nScrollPos, 0);
    QCOMPARE(rig.doc->m_nMaxScrollPos, 1);
    QCOMPARE(rig.digit->Rows()->rowCount(), 0);
    QVERIFY(rig.doc->m_pWorker == nullptr);
    QVERIFY(!QFile::exists(dir.filePath("sim.bin")));
}

void TestAcqDoc::startRefusesWhileWorkerBusy()
{
    Rig rig;
    rig.doc->m_fReadInterval = 1000.0f;
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitCount(1));
    rig.doc->OnStopAcquisition();   // the worker now sleeps out its interval
    QElapsedTimer t;
    t.start();
    rig.doc->OnStartAcquisition();
    const qint64 waited = t.elapsed();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("设备忙，请重试")});
    QVERIFY2(waited >= 180 && waited < 900, qPrintable(QString::number(waited)));
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QVERIFY(rig.WaitIdle());
    QVERIFY(!MDQ4170SIM_TaskActive(0));
}

void TestAcqDoc::sweepSlots_data()
{
    QTest::addColumn<int>("readings");
    QTest::addColumn<int>("slot");
    QTest::newRow("first reading") << 1 << 1;
    QTest::newRow("reading 800") << 800 << 0;
    QTest::newRow("reading 801") << 801 << 1;
}

void TestAcqDoc::sweepSlots()
{
    QFETCH(int, readings);
    QFETCH(int, slot);
    Rig rig;
    rig.SetRun(0, 1);
    rig.doc->m_fNotifyInterval = 0.0f;   // announce every reading
    MDQ4170SIM_FailReadAfter(0, readings, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle(60000));
    QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(readings));
    QCOMPARE(rig.doc->m_nSweepPos.load(), slot);
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(rig.doc->m_CodeRing[k][slot], rig.doc->m_ScanCopy.Channel[k].Code);
        QCOMPARE(rig.doc->m_ValueRing[k][slot], rig.doc->m_ScanCopy.Channel[k].Value);
    }
    if (readings < 800) {
        QCOMPARE(rig.doc->m_CodeRing[0][0], uint16_t(0));
        QCOMPARE(rig.doc->m_ValueRing[0][0], 0.0f);
    }
}

void TestAcqDoc::hiddenWaveLeavesRingsCleared()
{
    Rig rig;
    rig.doc->m_bShowWave.store(0);
    MDQ4170SIM_FailReadAfter(0, 3, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    QCOMPARE(rig.doc->m_SampleCount.load(), uint64_t(3));
    QCOMPARE(rig.digit->Rows()->rowCount(), 3);
    for (int s = 0; s < 4; ++s)
        QCOMPARE(rig.doc->m_ValueRing[0][s], 0.0f);
    QCOMPARE(rig.doc->m_nSweepPos.load(), 0);
}

void TestAcqDoc::calibrationRefusedWhileRunning()
{
    Rig rig;
    rig.doc->m_fReadInterval = 20.0f;
    rig.doc->OnStartAcquisition();
    QVERIFY(Update(rig.doc, 32869).enabled);
    rig.doc->OnCmdMsg(32869, nullptr);
    QCOMPARE(rig.messages, QStringList{QStringLiteral("请先停止AI采样再进行校准操作。")});
    rig.doc->OnStopAcquisition();
    QVERIFY(rig.WaitIdle());
}

void TestAcqDoc::closeStepStopsWaitsAndStores()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("close.bin");
    Rig rig;
    rig.SetRun(1, 2);
    rig.doc->m_Param.Range[1] = 4;
    rig.Record(path);
    rig.doc->m_fReadInterval = 30.0f;
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitCount(2));
    // The frame is gone before the worker's last messages arrive.
    rig.frame.reset();
    rig.doc->OnCloseDocument();
    QCOMPARE(rig.doc->m_bWorkerIdle.load(), 1);
    QCOMPARE(rig.doc->m_bRunning.load(), 0);
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    QCOMPARE(rig.doc->m_bFileOpen, 0);   // released although WM_USER+9 went nowhere
    QCOMPARE(theApp.RecentFiles().value(0), path);
    AIParam stored{};
    MDQ4170_AI_LoadParam(theApp.m_hDevice, &stored);
    QCOMPARE(stored.FirstChannel, 1u);
    QCOMPARE(stored.ChannelCount, 2u);
    QCOMPARE(stored.Range[1], 4u);
    const QByteArray bytes = ReadAll(path);
    FileHeaderInfo info;
    QVERIFY(ReadFileHeader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), info));
    QCOMPARE(info.ReadingCount, rig.doc->m_SampleCount.load());
    QCOMPARE(qint64(bytes.size()), qint64(kHeaderSize + 4 * info.ReadingCount));
}

void TestAcqDoc::closeWhileWorkerBoxIsUpKeepsHeader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("box.bin");
    Rig rig;
    rig.SetRun(0, 2);
    rig.Record(path);
    MDQ4170SIM_FailReadAfter(0, 4, 0);
    QPointer<CAIDoc> doc = rig.doc;
    bool closedInBox = false;
    // The operator closes the AI window while the worker's box is up.
    SetMessageHandler([&](const MsgRequest& r) {
        rig.messages << r.text;
        if (r.fromWorker && !closedInBox) {
            closedInBox = true;
            doc->OnCloseDocument();
        }
        return int(IDOK);
    });
    rig.doc->OnStartAcquisition();
    QVERIFY(QTest::qWaitFor([&] { return closedInBox; }, 20000));
    // The document goes by itself once its worker has finished.
    QVERIFY(QTest::qWaitFor([&] { return doc.isNull(); }, 20000));
    rig.doc = nullptr;
    rig.digit->SetDocument(nullptr);
    QVERIFY(!MDQ4170SIM_TaskActive(0));
    QCOMPARE(theApp.RecentFiles().value(0), path);
    const QByteArray bytes = ReadAll(path);
    FileHeaderInfo info;
    QVERIFY(ReadFileHeader(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), info));
    QCOMPARE(info.ReadingCount, uint64_t(4));
    QCOMPARE(info.CodesPerRecord, 2u);
    QCOMPARE(bytes.size(), qsizetype(kHeaderSize + 4 * 4));
}

QTEST_MAIN(TestAcqDoc)
#include "tst_acq_doc.moc"
