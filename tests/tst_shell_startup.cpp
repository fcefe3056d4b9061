// Start-up decision table and exit, with the selection dialog and the operator's answers
// supplied through the dialog runner and the message seam; markers held by other real
// processes; the device information report with each query failing in turn.
#include "app/aifrm.h"
#include "app/devinfo.h"
#include "app/devmarker.h"
#include "app/diofrm.h"
#include "app/mainfrm.h"
#include "app/tabs/mdiclient.h"
#include "device/mdq4170_sim.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "app/seldevdlg.h"
#include "tst_shell_holder.h"

#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace nuv;

namespace {

QList<MsgRequest> g_msgs;
int g_answer = IDYES;

struct DialogSeen {
    bool ran = false;
    QStringList entries;
    int currentRow = -2;
    bool okEnabled = false;
    bool selMarkerHeld = false;
};

// Runs the dialog without a modal loop: records what it shows, then `act` decides.
DialogSeen g_seen;
std::function<void(CSelDevDlg&)> g_act;

int RunDialog(CSelDevDlg& dlg)
{
    g_seen.ran = true;
    for (int i = 0; i < dlg.List()->count(); ++i)
        g_seen.entries << dlg.List()->item(i)->text();
    g_seen.currentRow = dlg.List()->currentRow();
    g_seen.okEnabled = dlg.OkButton()->isEnabled();
    g_seen.selMarkerHeld = MarkerExists(SelectionMarkerName());
    if (g_act)
        g_act(dlg);
    return dlg.result();
}

void PressOk(CSelDevDlg& dlg) { QTest::mouseClick(dlg.OkButton(), Qt::LeftButton); }

void SetModules(uint32_t count, const QList<uint32_t>& unplugged = {})
{
    MDQ4170SIM_Reset();
    MDQ4170SIM_SetModuleCount(count);
    for (uint32_t i : unplugged)
        MDQ4170SIM_SetUnplugged(i, 1);
}

} // namespace

class TstShellStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetMessageHandler([](const MsgRequest& r) {
            g_msgs << r;
            return r.buttons == MsgButtons::YesNo ? g_answer : int(IDOK);
        });
        CSelDevDlg::SetRunner(RunDialog);
    }

    void init()
    {
        g_msgs.clear();
        g_seen = DialogSeen();
        g_act = nullptr;
        g_answer = IDYES;
    }

    void cleanup()
    {
        theApp.ExitInstance();
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
        QVERIFY(!MarkerExists(SelectionMarkerName()));
    }

    void noModuleAnswerNo()
    {
        SetModules(0);
        g_answer = IDNO;
        QVERIFY(!theApp.InitInstance());
        QCOMPARE(g_msgs.size(), 1);
        QCOMPARE(g_msgs[0].text, QStringLiteral("没有设备存在,进入半模拟工作状态吗？"));
        QCOMPARE(g_msgs[0].caption, QStringLiteral("友情提示"));
        QCOMPARE(g_msgs[0].icon, MsgIcon::Information);
        QCOMPARE(g_msgs[0].buttons, MsgButtons::YesNo);
        QVERIFY(!g_seen.ran);
        QVERIFY(theApp.m_pMainWnd == nullptr);
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
    }

    void noModuleAnswerYes()
    {
        SetModules(0);
        QVERIFY(theApp.InitInstance());
        QCOMPARE(g_msgs.size(), 1);
        QCOMPARE(theApp.m_hDevice, MDQ4170_INVALID_HANDLE);
        QCOMPARE(theApp.m_nDeviceIndex, 0);
        // The simulation state holds the marker of index 0 too.
        QVERIFY(MarkerExists(DeviceMarkerName(0)));
        CMainFrm* main = theApp.m_pMainWnd;
        QVERIFY(main != nullptr);
        QVERIFY(theApp.m_pAIFrame != nullptr);
        QVERIFY(theApp.m_pDIOFrame != nullptr);
        QCOMPARE(main->ActiveChildFrame(), static_cast<CChildFrame*>(theApp.m_pAIFrame));
        QCOMPARE(main->MdiArea()->subWindowList().size(), 2);
        for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
            QVERIFY(main->MdiClient()->IsMaximizedChild(sub));
        QCOMPARE(main->BaseTitle(), QStringLiteral("MDQ4170-0 产品演示系统"));
        QTRY_COMPARE(main->windowTitle(), QStringLiteral("MDQ4170-0 产品演示系统 - AI模拟量输入"));
        QCOMPARE(main->property("tst_shell_startup").toInt(), 2);

        // Device information in the simulation state: the first query fails, nothing else.
        g_msgs.clear();
        main->ExecuteCmd(32802);
        QCOMPARE(g_msgs.size(), 1);
        QCOMPARE(g_msgs[0].text, QStringLiteral("读取USB接口速度版本号失败"));
        QCOMPARE(g_msgs[0].caption, QStringLiteral("SYS"));
    }

    void oneModuleStillAsksAndPreselects()
    {
        SetModules(1);
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        QVERIFY(g_seen.ran);
        QCOMPARE(g_seen.entries, QStringList{QStringLiteral("0-MDQ4170")});
        QCOMPARE(g_seen.currentRow, 0);
        QVERIFY(g_seen.okEnabled);
        QVERIFY(g_seen.selMarkerHeld);
        QVERIFY(!MarkerExists(SelectionMarkerName()));   // released after the dialog
        QVERIFY(g_msgs.isEmpty());
        QCOMPARE(MDQ4170SIM_HandleIndex(theApp.m_hDevice), 0);
        QVERIFY(MarkerExists(DeviceMarkerName(0)));
        // Another process now sees module 0 as used.
        MarkerHolder other({DeviceMarkerName(0)});
        QVERIFY(!other.Held());
    }

    void cancelEndsSilently()
    {
        SetModules(1);
        g_act = [](CSelDevDlg& dlg) { QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton); };
        QVERIFY(!theApp.InitInstance());
        QVERIFY(g_seen.ran);
        QVERIFY(g_msgs.isEmpty());
        QVERIFY(theApp.m_pMainWnd == nullptr);
        QVERIFY(!MarkerExists(SelectionMarkerName()));
    }

    void modules2And10ListTenFirst()
    {
        QList<uint32_t> unplugged;
        for (uint32_t i = 0; i <= 9; ++i)
            if (i != 2)
                unplugged << i;
        SetModules(11, unplugged);
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        QCOMPARE(g_seen.entries, (QStringList{QStringLiteral("10-MDQ4170"), QStringLiteral("2-MDQ4170")}));
        QCOMPARE(g_seen.currentRow, 0);
        QCOMPARE(theApp.m_nDeviceIndex, 10);
        QCOMPARE(MDQ4170SIM_HandleIndex(theApp.m_hDevice), 10);
        QVERIFY(MarkerExists(DeviceMarkerName(10)));
        QVERIFY(!MarkerExists(DeviceMarkerName(2)));
        QCOMPARE(theApp.m_pMainWnd->BaseTitle(), QStringLiteral("MDQ4170-10 产品演示系统"));
        theApp.ExitInstance();
        QVERIFY(!MarkerExists(DeviceMarkerName(10)));
    }

    void doubleClickChooses()
    {
        QList<uint32_t> unplugged;
        for (uint32_t i = 0; i <= 9; ++i)
            if (i != 2)
                unplugged << i;
        SetModules(11, unplugged);
        g_act = [](CSelDevDlg& dlg) {
            dlg.show();
            QListWidget* list = dlg.List();
            QListWidgetItem* item = list->item(1);   // "2-MDQ4170"
            const QPoint at = list->visualItemRect(item).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        };
        QVERIFY(theApp.InitInstance());
        QCOMPARE(theApp.m_nDeviceIndex, 2);
        QCOMPARE(MDQ4170SIM_HandleIndex(theApp.m_hDevice), 2);
    }

    void okWithoutSelectionIsIgnored()
    {
        SetModules(2);
        bool stayedOpen = false;
        g_act = [&stayedOpen](CSelDevDlg& dlg) {
            dlg.show();
            dlg.List()->clearSelection();
            dlg.List()->setCurrentItem(nullptr);
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
            stayedOpen = dlg.isVisible() && dlg.result() == int(QDialog::Rejected);
            dlg.OnCancel();
        };
        QVERIFY(!theApp.InitInstance());
        QVERIFY(stayedOpen);
        QVERIFY(g_msgs.isEmpty());
    }

    void emptyListDisablesOk()
    {
        // Two modules counted, both unplugged: the dialog lists nothing.
        SetModules(2, {0, 1});
        g_act = [](CSelDevDlg& dlg) { dlg.OnCancel(); };
        QVERIFY(!theApp.InitInstance());
        QVERIFY(g_seen.ran);
        QVERIFY(g_seen.entries.isEmpty());
        QVERIFY(!g_seen.okEnabled);
    }

    void moduleHeldByAnotherInstanceIsNotListed()
    {
        SetModules(2);
        MarkerHolder other({DeviceMarkerName(0)});
        QVERIFY(other.Held());
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        QCOMPARE(g_seen.entries, QStringList{QStringLiteral("1-MDQ4170")});
        QCOMPARE(theApp.m_nDeviceIndex, 1);
    }

    void allIndicesHeldByAnotherProcess()
    {
        SetModules(2);
        MarkerHolder other({DeviceMarkerName(0), DeviceMarkerName(1)});
        QVERIFY(other.Held());
        QVERIFY(!theApp.InitInstance());
        QCOMPARE(g_msgs.size(), 1);
        QCOMPARE(g_msgs[0].text, QStringLiteral("所有的设备已被使用"));
        QCOMPARE(g_msgs[0].caption, QStringLiteral("SYS"));
        QVERIFY(!g_seen.ran);
    }

    void crashedHolderFreesItsModule()
    {
        SetModules(1);
        {
            MarkerHolder crashed({DeviceMarkerName(0)}, true);
            QVERIFY(crashed.Held());
            QCOMPARE(CNUVApp::CountFreeDevices(1), 0u);
            crashed.Stop();
            QCOMPARE(crashed.ExitStatus(), QProcess::CrashExit);
        }
        QCOMPARE(CNUVApp::CountFreeDevices(1), 1u);
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        QCOMPARE(g_seen.entries, QStringList{QStringLiteral("0-MDQ4170")});
    }

    void selectionInProgressElsewhere()
    {
        SetModules(1);
        MarkerHolder other({SelectionMarkerName()});
        QVERIFY(other.Held());
        QVERIFY(!theApp.InitInstance());
        QCOMPARE(g_msgs.size(), 1);
        QCOMPARE(g_msgs[0].text, QStringLiteral("已经处在设备选择界面，不能重复进入"));
        QVERIFY(!g_seen.ran);
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
    }

    void deviceInformationQueriesInTurn()
    {
        SetModules(1);
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        const char* expected[5] = {"读取USB接口速度版本号失败", "读取版本信息失败", "读取版本信息失败", "读取序列号失败",
                                   "读取用户PID失败"};
        for (int bit = 0; bit < 5; ++bit) {
            MDQ4170SIM_FailInfoQueries(0, 1u << bit);
            g_msgs.clear();
            theApp.OnDeviceInfo();
            QCOMPARE(g_msgs.size(), 1);
            QCOMPARE(g_msgs[0].text, QString::fromUtf8(expected[bit]));
            QCOMPARE(g_msgs[0].caption, QStringLiteral("SYS"));
            QCOMPARE(g_msgs[0].buttons, MsgButtons::Ok);
        }
        MDQ4170SIM_FailInfoQueries(0, 0);
        MDQ4170SIM_SetUserPID(0, "PID-0123456789AB");
        g_msgs.clear();
        theApp.OnDeviceInfo();
        QCOMPARE(g_msgs.size(), 1);
        const QString report = g_msgs[0].text;
        QVERIFY2(report.startsWith(QStringLiteral("USB设备接口版本: USB2.0\n设备物理ID号: 0\n")), qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("\n产品序列号: 41700001\n")));
        QVERIFY2(report.endsWith(QStringLiteral("\n用户PID: PID-0123456789AB")), qPrintable(report));
        QCOMPARE(report.split(QLatin1Char('\n')).size(), 7);
    }

    void exitReleasesDeviceAndMarker()
    {
        SetModules(1);
        g_act = PressOk;
        QVERIFY(theApp.InitInstance());
        const MDQ4170_HANDLE h = theApp.m_hDevice;
        QVERIFY(MDQ4170SIM_HandleIndex(h) == 0);
        theApp.ExitInstance();
        QCOMPARE(MDQ4170SIM_HandleIndex(h), -1);   // released
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
        QVERIFY(theApp.m_pMainWnd == nullptr);
        QVERIFY(theApp.m_pAIFrame == nullptr);
        QVERIFY(theApp.m_pDIOFrame == nullptr);
    }
};

QTEST_MAIN(TstShellStartup)
#include "tst_shell_startup.moc"
