// The digital I/O panel against the simulated module: initial states, inversion, output
// toggles, manual reads with their one report, the automatic reader and closing while it runs.
#include "dio/diodoc.h"
#include "dio/diovw.h"
#include "device/mdq4170_sim.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace nuv;

namespace {
QStringList g_msgs;
constexpr int kInputIds[8] = {1081, 1082, 1083, 1084, 1091, 1092, 1093, 1094};

template <class T> T* Ctl(QWidget& w, int id)
{
    return w.findChild<T*>(QString::number(id));
}
void Click(QWidget& w, int id)
{
    auto* b = Ctl<QAbstractButton>(w, id);
    QVERIFY2(b != nullptr, qPrintable(QString::number(id)));
    if (qobject_cast<QCheckBox*>(b) != nullptr)
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));   // on the box
    else
        QTest::mouseClick(b, Qt::LeftButton);
}
uint32_t DeviceLine(uint32_t port, uint32_t line)
{
    uint32_t s[8] = {};
    if (!MDQ4170_DIO_ReadLines(theApp.m_hDevice, port, s))
        return 99;
    return s[line];
}

// Counts the updates the reader delivers to the panel.
class UpdateCounter : public QObject {
public:
    int updates = 0;
    uint64_t lastCount = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == MsgType(WM_DI_STATES)) {
            ++updates;
            lastCount = static_cast<CMsgEvent*>(e)->wParam;
        }
        return false;
    }
};

// A panel with its document, given the module the application holds now.
struct Panel {
    std::unique_ptr<CDIODoc> doc = std::make_unique<CDIODoc>();
    std::unique_ptr<CDIOVw> vw = std::make_unique<CDIOVw>();
    CDIOVw* operator->() const { return vw.get(); }
    CDIOVw& operator*() const { return *vw; }
};

Panel OpenPanel()
{
    Panel p;
    p.doc->m_hDevice = theApp.m_hDevice;
    p.vw->SetDocument(p.doc.get());
    p.vw->OnInitialUpdate();
    p.vw->show();
    return p;
}
} // namespace

class TstDioPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetMessageHandler([](const MsgRequest& r) {
            g_msgs << r.text;
            return int(IDOK);
        });
    }
    void init()
    {
        g_msgs.clear();
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(1);
        theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
        QVERIFY(theApp.m_hDevice != MDQ4170_INVALID_HANDLE);
    }
    void cleanup()
    {
        if (theApp.m_hDevice != MDQ4170_INVALID_HANDLE)
            MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
    }

    void formControls()
    {
        CDIOVw vw;
        vw.OnInitialUpdate();
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(Ctl<QPushButton>(vw, 1060 + i)->text(), QStringLiteral("DO%1").arg(i));
            QCOMPARE(Ctl<QPushButton>(vw, kInputIds[i])->text(), QStringLiteral("DI%1").arg(i));
            QCOMPARE(Ctl<QCheckBox>(vw, 1070 + i)->text(), QStringLiteral("DI%1 (反向)").arg(i));
        }
        QCOMPARE(Ctl<QCheckBox>(vw, 1085)->text(), QStringLiteral("自动读取端口值"));
        QCOMPARE(Ctl<QPushButton>(vw, 1004)->text(), QStringLiteral("手动读取端口值"));
        QCOMPARE(Ctl<QLineEdit>(vw, 1323)->text(), QStringLiteral("0"));
        QVERIFY(Ctl<QLineEdit>(vw, 1323)->isReadOnly());
        QCOMPARE(Ctl<QLineEdit>(vw, 1324)->text(), QStringLiteral("20"));
        QCOMPARE(vw.Pause(), 20);
        QVERIFY(Ctl<QPushButton>(vw, 1294)->isHidden());
        QVERIFY(Ctl<QPushButton>(vw, 1295)->isHidden());
        // The pause edit takes digits only.
        QLineEdit* pause = Ctl<QLineEdit>(vw, 1324);
        pause->clear();
        QTest::keyClicks(pause, QStringLiteral("1a5-0"));
        QCOMPARE(pause->text(), QStringLiteral("150"));
        QCOMPARE(vw.Pause(), 150);
    }

    void withoutDeviceNothingIsRead()
    {
        MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
        auto vw = OpenPanel();
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(vw->InputImage(i), IDB_LINE_INVALID);
            QCOMPARE(vw->OutputImage(i), IDB_LINE_INVALID);
            QVERIFY(!Ctl<QPushButton>(*vw, 1060 + i)->isChecked());
        }
        QVERIFY(g_msgs.isEmpty());
    }

    void initialStatesAndTheirFailure()
    {
        QVERIFY(MDQ4170_DIO_WriteLine(theApp.m_hDevice, 1, 6, 1));
        auto vw = OpenPanel();
        QVERIFY(g_msgs.isEmpty());
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(vw->OutputImage(i), i == 6 ? IDB_LINE_HIGH : IDB_LINE_LOW);
            QVERIFY(vw->InputImage(i) == IDB_LINE_HIGH || vw->InputImage(i) == IDB_LINE_LOW);
        }
        QVERIFY(Ctl<QPushButton>(*vw, 1066)->isChecked());

        MDQ4170SIM_FailDIO(0, 2);   // outputs cannot be read
        auto vw2 = OpenPanel();
        QCOMPARE(g_msgs, QStringList{QStringLiteral("通信异常：获取设备DIO状态失败")});
        for (int i = 0; i < 8; ++i)
            QCOMPARE(vw2->InputImage(i), IDB_LINE_INVALID);
    }

    void invertedInputShowsTheOppositeLevel()
    {
        auto vw = OpenPanel();
        Click(*vw, 1072);
        QVERIFY(vw->InvertFlag(2));
        QVERIFY(!vw->InvertFlag(1));
        // The simulated inputs move; take a read where the lines held still around it.
        for (int attempt = 0; attempt < 20; ++attempt) {
            const uint32_t d2 = DeviceLine(0, 2), d1 = DeviceLine(0, 1);
            Click(*vw, 1004);
            if (DeviceLine(0, 2) != d2 || DeviceLine(0, 1) != d1) {
                QTest::qWait(50);
                continue;
            }
            QCOMPARE(vw->InputImage(2), d2 ? IDB_LINE_LOW : IDB_LINE_HIGH);
            QCOMPARE(Ctl<QPushButton>(*vw, 1083)->isChecked(), d2 == 0);
            QCOMPARE(vw->InputImage(1), d1 ? IDB_LINE_HIGH : IDB_LINE_LOW);
            // Both levels: DO2 flips DI2 in the simulated wiring.
            if (attempt == 0) {
                MDQ4170_DIO_WriteLine(theApp.m_hDevice, 1, 2, 1);
                continue;
            }
            QVERIFY(g_msgs.isEmpty());
            return;
        }
        QFAIL("inputs never held still");
    }

    void toggleOutput()
    {
        auto vw = OpenPanel();
        QCOMPARE(DeviceLine(1, 5), 0u);
        QPushButton* do5 = Ctl<QPushButton>(*vw, 1065);
        Click(*vw, 1065);
        QVERIFY(g_msgs.isEmpty());
        QCOMPARE(DeviceLine(1, 5), 1u);
        QCOMPARE(vw->OutputImage(5), IDB_LINE_HIGH);
        QVERIFY(do5->isChecked());
        // All outputs are shown as read back, also one switched behind the panel's back.
        MDQ4170_DIO_WriteLine(theApp.m_hDevice, 1, 0, 1);
        Click(*vw, 1065);
        QCOMPARE(DeviceLine(1, 5), 0u);
        QCOMPARE(vw->OutputImage(5), IDB_LINE_LOW);
        QVERIFY(!do5->isChecked());
        QCOMPARE(vw->OutputImage(0), IDB_LINE_HIGH);

        // A pause edit holding no integer is reported and the toggle goes on.
        Ctl<QLineEdit>(*vw, 1324)->clear();
        Click(*vw, 1065);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("请输入一个整数。")});
        QCOMPARE(DeviceLine(1, 5), 1u);
        Ctl<QLineEdit>(*vw, 1324)->setText(QStringLiteral("20"));
    }

    void toggleFailures()
    {
        auto vw = OpenPanel();
        QPushButton* do3 = Ctl<QPushButton>(*vw, 1063);

        MDQ4170SIM_FailDIO(0, 4);   // ReadLine
        Click(*vw, 1063);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("DIO_ReadLine Error")});
        QCOMPARE(DeviceLine(1, 3), 0u);
        QVERIFY(!do3->isChecked());
        QCOMPARE(vw->OutputImage(3), IDB_LINE_LOW);

        g_msgs.clear();
        MDQ4170SIM_FailDIO(0, 8);   // WriteLine
        Click(*vw, 1063);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("DO_WriteLine Error")});
        QCOMPARE(DeviceLine(1, 3), 0u);

        g_msgs.clear();
        MDQ4170SIM_FailDIO(0, 2);   // read-back
        Click(*vw, 1063);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("DIO_ReadLines Error")});
        MDQ4170SIM_FailDIO(0, 0);
        QCOMPARE(DeviceLine(1, 3), 1u);
    }

    void manualReadReportsOnlyItsFirstFailure()
    {
        auto vw = OpenPanel();
        MDQ4170SIM_FailDIO(0, 1);
        Click(*vw, 1004);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("Read DI status failed...")});
        Click(*vw, 1004);
        MDQ4170SIM_FailDIO(0, 2);
        Click(*vw, 1004);
        QCOMPARE(g_msgs.size(), 1);

        // Outputs failing first: its own text, the inputs are shown already.
        g_msgs.clear();
        MDQ4170SIM_FailDIO(0, 0);
        auto vw2 = OpenPanel();
        MDQ4170SIM_FailDIO(0, 2);
        MDQ4170_DIO_WriteLine(theApp.m_hDevice, 1, 1, 1);
        Click(*vw2, 1004);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("Read DO status failed...")});
        QCOMPARE(vw2->OutputImage(1), IDB_LINE_LOW);
    }

    void automaticReading()
    {
        auto vw = OpenPanel();
        UpdateCounter counter;
        vw->installEventFilter(&counter);
        QPushButton* manual = Ctl<QPushButton>(*vw, 1004);
        Ctl<QLineEdit>(*vw, 1324)->setText(QStringLiteral("0"));

        QElapsedTimer clock;
        clock.start();
        Click(*vw, 1085);
        QVERIFY(manual->isHidden());
        QVERIFY(vw->IsReading());
        QTest::qWait(1000);
        Click(*vw, 1085);
        const qint64 ms = clock.elapsed();
        QVERIFY(!manual->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!vw->IsReading(), 2000);
        QTest::qWait(20);

        // Continuous reads, one update per 100 ms at most, the count of the last update shown.
        QVERIFY2(counter.updates >= 3, qPrintable(QString::number(counter.updates)));
        QVERIFY(counter.updates <= ms / 100 + 2);
        QVERIFY(counter.lastCount > uint64_t(5 * counter.updates));
        QCOMPARE(Ctl<QLineEdit>(*vw, 1323)->text(), QString::number(counter.lastCount));
        for (int i = 0; i < 8; ++i)
            QVERIFY(vw->InputImage(i) != IDB_LINE_INVALID);
        QVERIFY(g_msgs.isEmpty());

        // A long pause does not hold up stopping or restarting.
        Ctl<QLineEdit>(*vw, 1324)->setText(QStringLiteral("10000"));
        Click(*vw, 1085);
        QTest::qWait(50);
        clock.restart();
        Click(*vw, 1085);
        Click(*vw, 1085);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(vw->IsReading());
        Click(*vw, 1085);
    }

    void automaticReadFailure()
    {
        auto vw = OpenPanel();
        Click(*vw, 1085);
        QTest::qWait(100);
        MDQ4170SIM_FailDIO(0, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!vw->IsReading(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(g_msgs, QStringList{QStringLiteral("Read DI status failed...")}, 3000);
        QVERIFY(Ctl<QCheckBox>(*vw, 1085)->isChecked());

        // Without a device the reader reports its first read.
        g_msgs.clear();
        MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
        auto vw2 = OpenPanel();
        QVERIFY(g_msgs.isEmpty());
        Click(*vw2, 1085);
        QTRY_COMPARE_WITH_TIMEOUT(g_msgs, QStringList{QStringLiteral("Read DI status failed...")}, 3000);
    }

    void closingWhileReading()
    {
        for (int pause : {0, 20, 10000}) {
            auto* top = new QWidget;
            auto* doc = new CDIODoc;
            doc->setParent(top);
            doc->m_hDevice = theApp.m_hDevice;
            auto* vw = new CDIOVw(top);
            vw->SetDocument(doc);
            vw->OnInitialUpdate();
            top->show();
            Ctl<QLineEdit>(*vw, 1324)->setText(QString::number(pause));
            Click(*vw, 1085);
            QTest::qWait(150);
            QVERIFY(vw->IsReading());
            QElapsedTimer clock;
            clock.start();
            delete top;
            QVERIFY(clock.elapsed() < 2000);
            QCoreApplication::processEvents();
        }
        QCOMPARE(PooledEventsInUse(), size_t(0));
        QVERIFY(g_msgs.isEmpty());
    }
};

QTEST_MAIN(TstDioPanel)
#include "tst_dio_panel.moc"
