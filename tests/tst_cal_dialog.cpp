// The calibration dialog against the simulated module: the reset guard, input checks,
// status rows, the cold-junction temperature and the effect of a calibration on readings.
#include "calibration/aical.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "device/mdq4170_sim.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <cmath>

using namespace nuv;

namespace {
QStringList g_msgs;

void Click(CAICal& dlg, int id)
{
    auto* b = dlg.findChild<QPushButton*>(QString::number(id));
    QVERIFY2(b != nullptr, qPrintable(QString::number(id)));
    QTest::mouseClick(b, Qt::LeftButton);
}
QComboBox* Combo(CAICal& dlg, int id) { return dlg.findChild<QComboBox*>(QString::number(id)); }
QLineEdit* Edit(CAICal& dlg, int id) { return dlg.findChild<QLineEdit*>(QString::number(id)); }
QTableWidget* Status(CAICal& dlg) { return dlg.findChild<QTableWidget*>(QStringLiteral("1351")); }

qint64 LogSize() { return QFileInfo(QString::fromUtf8(MDQ4170SIM_LogPath())).size(); }

// One reading of `channel` in `range` through an AI task (which also disconnects the
// simulated calibrator).
double ReadChannel(uint32_t channel, uint32_t range)
{
    AIParam p{};
    p.FirstChannel = channel;
    p.ChannelCount = 1;
    for (uint32_t& r : p.Range)
        r = range;
    if (!MDQ4170_AI_InitTask(theApp.m_hDevice, &p, nullptr))
        return NAN;
    ScanBlock scan{};
    const int ok = MDQ4170_AI_ReadData(theApp.m_hDevice, &scan);
    MDQ4170_AI_ReleaseTask(theApp.m_hDevice);
    return ok ? double(scan.Channel[channel].Value) : NAN;
}
} // namespace

class TstCalDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetMessageHandler([](const MsgRequest& r) {
            g_msgs << r.text;
            return int(IDOK);
        });
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(1);
    }
    void init()
    {
        g_msgs.clear();
        MDQ4170SIM_Reset();
        theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
        QVERIFY(theApp.m_hDevice != MDQ4170_INVALID_HANDLE);
    }
    void cleanup()
    {
        if (theApp.m_hDevice != MDQ4170_INVALID_HANDLE)
            MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
    }

    void opensWithItsControls()
    {
        CAICal dlg(theApp.m_hDevice);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("AI校准"));
        for (int id : {1348, 1349, 1316, 1314, 1317, 1315, 1350, 1351, 1353, 1318, 1354, 1319})
            QVERIFY2(dlg.findChild<QWidget*>(QString::number(id)) != nullptr, qPrintable(QString::number(id)));
        QCOMPARE(Combo(dlg, 1348)->count(), 8);
        QCOMPARE(Combo(dlg, 1348)->itemText(7), QStringLiteral("AI7"));
        QCOMPARE(Combo(dlg, 1349)->count(), 11);
        QCOMPARE(Combo(dlg, 1349)->itemText(1), QStringLiteral("-100 ～ +100mV"));
        QTableWidget* t = Status(dlg);
        QCOMPARE(t->rowCount(), 88);
        QCOMPARE(t->columnCount(), 4);
        QCOMPARE(t->horizontalHeaderItem(3)->text(), QStringLiteral("Gain"));
        QCOMPARE(t->columnWidth(1), 120);
        QCOMPARE(t->item(43, 0)->text(), QStringLiteral("AI3"));
        QCOMPARE(t->item(43, 1)->text(), QStringLiteral("S型(0～1768℃)"));
        QVERIFY(t->item(43, 2)->text().isEmpty());
        QVERIFY(Edit(dlg, 1353)->isReadOnly());

        auto* unit = dlg.findChild<QLabel*>(QStringLiteral("1350"));
        QCOMPARE(unit->text(), QStringLiteral("(mV)"));
        Combo(dlg, 1349)->setCurrentIndex(7);
        QCOMPARE(unit->text(), QStringLiteral("(mA)"));
        QCOMPARE(dlg.RangeCode(), 7u);
        Combo(dlg, 1349)->setCurrentIndex(9);
        QCOMPARE(dlg.RangeCode(), 13u);
        QCOMPARE(unit->text(), QStringLiteral("(mV)"));
    }

    void resetGuard()
    {
        CAICal dlg(theApp.m_hDevice);
        Click(dlg, 1314);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("校准参数变化，请先复位校准！")});
        g_msgs.clear();
        Edit(dlg, 1317)->setText(QStringLiteral("5"));
        Click(dlg, 1315);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("校准参数变化，请先复位校准！")});

        // Step 1 arms the guard; a channel change re-arms it.
        g_msgs.clear();
        Combo(dlg, 1349)->setCurrentIndex(5);
        Click(dlg, 1316);
        QVERIFY(dlg.IsResetDone());
        Combo(dlg, 1348)->setCurrentIndex(2);
        QVERIFY(!dlg.IsResetDone());
        Click(dlg, 1315);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("校准参数变化，请先复位校准！")});

        // So does a range change.
        g_msgs.clear();
        Click(dlg, 1316);
        Combo(dlg, 1349)->setCurrentIndex(6);
        Click(dlg, 1314);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("校准参数变化，请先复位校准！")});
        QCOMPARE(Status(dlg)->item(2 * 11 + 5, 2)->text(), QString());
    }

    void fullScaleNeedsANumber()
    {
        CAICal dlg(theApp.m_hDevice);
        Combo(dlg, 1349)->setCurrentIndex(5);
        Click(dlg, 1316);
        QVERIFY(g_msgs.isEmpty());
        const qint64 logBefore = LogSize();
        for (const char* text : {"", "abc", "0", "-", "nan"}) {
            g_msgs.clear();
            Edit(dlg, 1317)->setText(QString::fromUtf8(text));
            Click(dlg, 1315);
            QCOMPARE(g_msgs, QStringList{QStringLiteral("满度信号数值不规范，请输入信号数据！")});
        }
        // No library call: the library would have refused these values and logged it.
        QCOMPARE(LogSize(), logBefore);
        QCOMPARE(Status(dlg)->item(5, 3)->text(), QString());

        // A leading number is enough.
        g_msgs.clear();
        Edit(dlg, 1317)->setText(QStringLiteral(" 5.0V"));
        Click(dlg, 1315);
        QVERIFY2(g_msgs.isEmpty(), qPrintable(g_msgs.join('|')));
        QCOMPARE(dlg.FullScaleValue(), 5.0f);
        QCOMPARE(Status(dlg)->item(5, 3)->text(), QStringLiteral("OK"));
    }

    void statusRows()
    {
        CAICal dlg(theApp.m_hDevice);
        QTableWidget* t = Status(dlg);
        Combo(dlg, 1348)->setCurrentIndex(3);
        Combo(dlg, 1349)->setCurrentIndex(10);
        Click(dlg, 1316);
        QCOMPARE(t->currentRow(), 43);
        Click(dlg, 1314);
        QVERIFY2(g_msgs.isEmpty(), qPrintable(g_msgs.join('|')));
        QCOMPARE(t->item(43, 2)->text(), QStringLiteral("OK"));
        QCOMPARE(t->item(43, 3)->text(), QString());

        Combo(dlg, 1349)->setCurrentIndex(5);   // range code 5
        Click(dlg, 1316);
        QCOMPARE(t->currentRow(), 38);
        Edit(dlg, 1317)->setText(QStringLiteral("4.5"));
        Click(dlg, 1315);
        QVERIFY2(g_msgs.isEmpty(), qPrintable(g_msgs.join('|')));
        QCOMPARE(t->item(38, 3)->text(), QStringLiteral("OK"));
        QCOMPARE(t->currentRow(), 38);
        QVERIFY(t->selectionModel()->isRowSelected(38, {}));
        // Marks stay while the dialog lives; steps repeat while the selection stays.
        QCOMPARE(t->item(43, 2)->text(), QStringLiteral("OK"));
        Click(dlg, 1314);
        QCOMPARE(t->item(38, 2)->text(), QStringLiteral("OK"));
        QVERIFY(g_msgs.isEmpty());
    }

    void calibrationChangesReadings()
    {
        // Channel 3, -5..+5 V, terminals fixed at 2 V: before calibration the reading carries
        // the simulated converter's offset and gain error.
        QVERIFY(MDQ4170_AI_Cal_Restore(theApp.m_hDevice, 3, 5));   // neutral, whatever an earlier run stored
        MDQ4170SIM_SetChannelInput(0, 3, 2.0);
        const double before = ReadChannel(3, 5);
        QVERIFY(std::isfinite(before));

        MDQ4170SIM_SetChannelInput(0, 3, NAN);   // the dialog's calibrator drives the input
        CAICal dlg(theApp.m_hDevice);
        Combo(dlg, 1348)->setCurrentIndex(3);
        Combo(dlg, 1349)->setCurrentIndex(5);
        Click(dlg, 1316);
        Click(dlg, 1314);
        Edit(dlg, 1317)->setText(QStringLiteral("5"));
        Click(dlg, 1315);
        QVERIFY2(g_msgs.isEmpty(), qPrintable(g_msgs.join('|')));

        MDQ4170SIM_SetChannelInput(0, 3, 2.0);
        const double after = ReadChannel(3, 5);
        const double step = 10.0 / 65536.0;
        qInfo("reading of 2 V before %.6f, after %.6f", before, after);
        QVERIFY(std::fabs(before - 2.0) > 3 * step);
        QVERIFY(std::fabs(after - 2.0) <= 2 * step);
        MDQ4170SIM_SetChannelInput(0, 3, NAN);
    }

    void deviceFailures()
    {
        CAICal dlg(theApp.m_hDevice);
        Combo(dlg, 1349)->setCurrentIndex(5);
        // A zero input far off zero makes the library refuse the offset.
        MDQ4170SIM_SetChannelInput(0, 0, 3.0);
        Click(dlg, 1316);
        Click(dlg, 1314);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("设备零点校准失败！")});
        QCOMPARE(Status(dlg)->item(5, 2)->text(), QString());
        g_msgs.clear();
        Edit(dlg, 1317)->setText(QStringLiteral("1"));   // measures 3 V for 1 V applied
        Click(dlg, 1315);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("设备满度校准失败！")});
        MDQ4170SIM_SetChannelInput(0, 0, NAN);

        // A failed reset leaves steps 2 and 3 refused.
        g_msgs.clear();
        MDQ4170SIM_SetUnplugged(0, 1);
        Click(dlg, 1316);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("设备复位校准失败！")});
        QVERIFY(!dlg.IsResetDone());
        g_msgs.clear();
        Click(dlg, 1314);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("校准参数变化，请先复位校准！")});
        g_msgs.clear();
        Click(dlg, 1318);
        Edit(dlg, 1354)->setText(QStringLiteral("25"));
        Click(dlg, 1319);
        QCOMPARE(g_msgs, (QStringList{QStringLiteral("获取温补值失败！"), QStringLiteral("校准温补值失败！")}));
        MDQ4170SIM_SetUnplugged(0, 0);
    }

    void withoutDevice()
    {
        MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
        CAICal dlg(theApp.m_hDevice);
        Click(dlg, 1316);
        Click(dlg, 1314);
        QCOMPARE(g_msgs, (QStringList{QStringLiteral("设备未创建！"), QStringLiteral("设备未创建！")}));
        QCOMPARE(Status(dlg)->currentRow(), -1);
        g_msgs.clear();
        Click(dlg, 1318);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("获取温补值失败！")});
        QVERIFY(Edit(dlg, 1353)->text().isEmpty());
    }

    void ambientTemperature()
    {
        CAICal dlg(theApp.m_hDevice);
        Click(dlg, 1318);
        QVERIFY(g_msgs.isEmpty());
        const QString shown = Edit(dlg, 1353)->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^-?\\d+\\.\\d{6}$")).match(shown).hasMatch(), qPrintable(shown));
        uint32_t raw = 0;
        double t = 0;
        QVERIFY(MDQ4170_AI_ReadCJCTemp(theApp.m_hDevice, &raw, &t));
        QVERIFY(std::fabs(shown.toDouble() - t) < 0.5);

        // Calibrate the cold junction to 31.5 degC and read it back.
        Edit(dlg, 1354)->setText(QStringLiteral("31.5"));
        Click(dlg, 1319);
        QVERIFY(g_msgs.isEmpty());
        Click(dlg, 1318);
        QVERIFY(std::fabs(Edit(dlg, 1353)->text().toDouble() - 31.5) < 0.5);

        // No number: nothing is calibrated.
        Edit(dlg, 1354)->setText(QStringLiteral("abc"));
        Click(dlg, 1319);
        QCOMPARE(g_msgs, QStringList{QStringLiteral("温度数值不规范，请输入温度数据！")});
        Click(dlg, 1318);
        QVERIFY(std::fabs(Edit(dlg, 1353)->text().toDouble() - 31.5) < 0.5);
        QVERIFY(MDQ4170_AI_SetCJC(theApp.m_hDevice, float(t)));
    }
};

QTEST_MAIN(TstCalDialog)
#include "tst_cal_dialog.moc"
