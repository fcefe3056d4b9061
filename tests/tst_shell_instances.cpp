// The module marker at start-up: an instance that cannot take its module's marker does not
// run on the module; a hand-over naming a FIFO reaches the history window without hanging.
#include "datafile/aihistdoc.h"
#include "app/devmarker.h"
#include "app/handover.h"
#include "app/mainfrm.h"
#include "device/mdq4170_sim.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "app/seldevdlg.h"
#include "tst_shell_holder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace nuv;

class TstShellInstances : public QObject {
    Q_OBJECT
    QStringList m_msgs;
    QTemporaryDir m_run;   // this session's runtime folder, for the hand-over

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_run.path()));
        SetMessageHandler([this](const MsgRequest& r) {
            m_msgs << r.text;
            return r.buttons == MsgButtons::YesNo ? int(IDYES) : int(IDOK);
        });
    }

    void cleanup() { theApp.ExitInstance(); }

    void moduleTakenMeanwhileIsNotRunOn()
    {
        // Another instance takes module 0 while this one's operator chooses it.
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(1);
        std::unique_ptr<MarkerHolder> other;
        CSelDevDlg::SetRunner([&other](CSelDevDlg& dlg) {
            other = std::make_unique<MarkerHolder>(QStringList{DeviceMarkerName(0)});
            dlg.OnOK();
            return dlg.result();
        });
        m_msgs.clear();
        QVERIFY(!theApp.InitInstance());
        QVERIFY(other->Held());
        QCOMPARE(m_msgs, QStringList{QStringLiteral("所选设备已被使用")});
        QCOMPARE(theApp.m_hDevice, MDQ4170_INVALID_HANDLE);
        QVERIFY(theApp.m_pMainWnd == nullptr);
        CSelDevDlg::SetRunner(nullptr);

        // The simulation state runs on without the marker the other instance holds.
        MDQ4170SIM_SetModuleCount(0);
        m_msgs.clear();
        QVERIFY(theApp.InitInstance());
        QCOMPARE(m_msgs.size(), 1);   // the simulation question only
        QCOMPARE(theApp.m_hDevice, MDQ4170_INVALID_HANDLE);
        theApp.ExitInstance();
        MarkerHolder later({DeviceMarkerName(0)});
        QVERIFY(!later.Held());   // still the other's
        other->Stop();
    }

    void handedOverFifoOpensNothing()
    {
        QTemporaryDir tmp;
        const QString fifo = tmp.path() + QStringLiteral("/pipe.bin");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(0);
        QVERIFY(theApp.InitInstance());
        QVERIFY(SubmitHandover({fifo}));
        m_msgs.clear();
        CAIHistDoc* opened = nullptr;
        CHandoverReceiver receiver([&opened](const QStringList& files) {
            for (const QString& f : files)
                opened = theApp.OpenDocumentFile(f);
        });
        QCOMPARE(receiver.Start(), CHandoverReceiver::Started);
        QVERIFY(opened != nullptr);
        QVERIFY(!opened->m_bOpen);
        QCOMPARE(m_msgs, QStringList{QStringLiteral("打开文件失败, 可能该文件不存...")});
    }
};

QTEST_MAIN(TstShellInstances)
#include "tst_shell_instances.moc"
