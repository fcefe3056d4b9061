// Tearing the program down with every kind of window open, an acquisition running and a
// recording file open in a history window: no crash, the worker ends before its document,
// the module's task is released.
#include "acquisition/aidoc.h"
#include "app/aifrm.h"
#include "datafile/aihistdoc.h"
#include "datafile/fileheader.h"
#include "app/mainfrm.h"
#include "device/mdq4170_sim.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "app/seldevdlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

using namespace nuv;

class TstShellTeardown : public QObject {
    Q_OBJECT

    QStringList m_msgs;
    QTemporaryDir m_dir;

    QString WriteRecording(int readings)
    {
        AIParam p{};
        p.FirstChannel = 1;
        p.ChannelCount = 2;
        HeaderBytes h;
        BuildFileHeader(theApp.m_hDevice, p, LocalStartTimeNow(), 2, uint64_t(readings), h);
        const QString path = m_dir.filePath(QStringLiteral("rec.bin"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(reinterpret_cast<const char*>(h.data()), qint64(h.size()));
        for (int i = 0; i < readings; ++i) {
            const uint16_t rec[2] = {uint16_t(i * 97), uint16_t(65535 - i)};
            f.write(reinterpret_cast<const char*>(rec), sizeof rec);
        }
        return path;
    }

private slots:
    void initTestCase()
    {
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(1);
        SetMessageHandler([this](const MsgRequest& r) {
            m_msgs << r.text;
            return int(IDOK);
        });
        CSelDevDlg::SetRunner([](CSelDevDlg& dlg) {
            dlg.OnOK();
            return dlg.result();
        });
    }

    void destroyingTheMainWindowWithEveryWindowOpen()
    {
        QVERIFY(theApp.InitInstance());
        QVERIFY(theApp.m_pMainWnd != nullptr && theApp.m_pAIFrame != nullptr);
        const QString path = WriteRecording(500);
        CAIHistDoc* hist = theApp.OpenDocumentFile(path);
        QVERIFY(hist != nullptr);
        QVERIFY(hist->m_bOpen);
        QCOMPARE(theApp.m_pMainWnd->MdiArea()->subWindowList().size(), 3);

        CAIDoc* doc = theApp.m_pAIFrame->GetDoc();
        doc->OnStartAcquisition();
        QTRY_VERIFY(doc->m_SampleCount.load() >= 2);
        QVERIFY(MDQ4170SIM_TaskActive(0));

        // No close events: the window and everything in it is simply destroyed.
        delete theApp.m_pMainWnd;
        QCOMPARE(theApp.m_pMainWnd, nullptr);
        QCOMPARE(theApp.m_pAIFrame, nullptr);
        QVERIFY(!MDQ4170SIM_TaskActive(0));
        theApp.ExitInstance();
        QVERIFY(m_msgs.isEmpty());
    }

    void exitFromIdleIsQuick()
    {
        // Every window open, nothing running: closing and releasing waits for nothing.
        QVERIFY(theApp.InitInstance());
        theApp.OpenDocumentFile(WriteRecording(10));
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        theApp.ExitInstance();
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms < 300, qPrintable(QString::number(ms)));
        QCOMPARE(theApp.m_pMainWnd, nullptr);
    }

    void exitWhileAcquiring()
    {
        QVERIFY(theApp.InitInstance());
        CAIDoc* doc = theApp.m_pAIFrame->GetDoc();
        theApp.OpenDocumentFile(WriteRecording(10));
        doc->OnStartAcquisition();
        QTRY_VERIFY(doc->m_SampleCount.load() >= 1);
        theApp.ExitInstance();
        QCOMPARE(theApp.m_pMainWnd, nullptr);
        QVERIFY(!MDQ4170SIM_TaskActive(0));
        QVERIFY(m_msgs.isEmpty());
    }
};

QTEST_MAIN(TstShellTeardown)
#include "tst_shell_teardown.moc"
