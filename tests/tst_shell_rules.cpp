// Pure rules of the shell: bar sizing and floating limits, the sizing strip, tab bar
// layout, the split pane's third, the greeting's place, the command table and the device
// information report.
#include "app/tabs/barsizing.h"
#include "app/cmdtable.h"
#include "app/devinfo.h"
#include "res/resource.h"

#include <QHash>
#include <QTest>
#include <cstring>

using namespace nuv;

class TstShellRules : public QObject {
    Q_OBJECT
private slots:
    void draggedSizeKeepsMinimumAndRoom()
    {
        // Parameter bar docked right, 288 wide: its edge dragged 100 px to the left.
        const int in = InwardDistance(BarSide::Right, 500, 400);
        QCOMPARE(in, 100);
        QCOMPARE(DraggedBarSize(288, in, 1000, BarLimits::kMinWidth), 388);
        // Dragged 170 px to the right: never below the minimum.
        QCOMPARE(DraggedBarSize(288, InwardDistance(BarSide::Right, 500, 670), 1000, 128), 128);
        // Exactly to the minimum and one short of it.
        QCOMPARE(DraggedBarSize(288, -160, 1000, 128), 128);
        QCOMPARE(DraggedBarSize(288, -159, 1000, 128), 129);
        // The window's client size bounds the growth.
        QCOMPARE(DraggedBarSize(160, 900, 300, 128), 460);
        // Directions per side: inwards is down, up, right, left for top, bottom, left, right.
        QCOMPARE(InwardDistance(BarSide::Top, 10, 30), 20);
        QCOMPARE(InwardDistance(BarSide::Bottom, 30, 10), 20);
        QCOMPARE(InwardDistance(BarSide::Left, 10, 30), 20);
        QCOMPARE(InwardDistance(BarSide::Right, 30, 10), 20);
        QCOMPARE(InwardDistance(BarSide::Floating, 30, 10), 0);
    }

    void floatingLimits()
    {
        QCOMPARE(FloatingWidth(50), 128);
        QCOMPARE(FloatingWidth(500), 500);
        QCOMPARE(FloatingWidth(5000), 1024);
        QCOMPARE(FloatingHeight(5), 128);
        QCOMPARE(FloatingHeight(768), 768);
        QCOMPARE(FloatingHeight(769), 768);
        QCOMPARE(ClampFloatingSize(QSize(10, 2000)), QSize(128, 768));
    }

    void edgeFacesTheInside()
    {
        const QSize bar(300, 200);
        QCOMPARE(EdgeRect(BarSide::Top, bar), QRect(0, 194, 300, 6));
        QCOMPARE(EdgeRect(BarSide::Bottom, bar), QRect(0, 0, 300, 6));
        QCOMPARE(EdgeRect(BarSide::Left, bar), QRect(294, 0, 6, 200));
        QCOMPARE(EdgeRect(BarSide::Right, bar), QRect(0, 0, 6, 200));
        QVERIFY(EdgeRect(BarSide::Floating, bar).isEmpty());
    }

    void tabBarLayout()
    {
        TabBarLayout l = LayoutTabBar(BarSide::Bottom, 400, 160);
        QCOMPARE(l.tabs, QRect(7, 7, 386, 148));
        QCOMPARE(l.view, QRect(9, 29, 382, 123));
        l = LayoutTabBar(BarSide::Right, 282, 600);
        QCOMPARE(l.tabs, QRect(7, 7, 268, 586));
        QCOMPARE(l.view, QRect(9, 29, 264, 561));
        l = LayoutTabBar(BarSide::Floating, 10, 10);   // never negative
        QVERIFY(l.view.width() >= 0 && l.view.height() >= 0);
    }

    void leftPaneNeverWiderThanAThird()
    {
        QCOMPARE(ClampLeftPane(717, 3000), 717);
        QCOMPARE(ClampLeftPane(717, 1200), 400);
        QCOMPARE(ClampLeftPane(717, 1202), 400);   // integer division
        QCOMPARE(ClampLeftPane(300, 900), 300);
        QCOMPARE(ClampLeftPane(301, 900), 300);
        QCOMPARE(ClampLeftPane(50, 0), 0);
    }

    void tilingGivesEachWindowItsMinimum()
    {
        // Room to spare: minimums plus equal shares of the rest, all of it used but rounding.
        QCOMPARE(TileLengths({400, 60, 400}, 1024), (QList<int>{454, 114, 454}));
        QCOMPARE(TileLengths({0, 0}, 1000), (QList<int>{500, 500}));
        // Minimums that do not fit: equal shares.
        QCOMPARE(TileLengths({700, 700}, 1024), (QList<int>{512, 512}));
        QVERIFY(TileLengths({}, 500).isEmpty());
    }

    void greetingSitsBottomRight()
    {
        const QRect r = GreetingRect(QRect(0, 0, 800, 600), 200, 40, 20, 45);
        QCOMPARE(r, QRect(580, 515, 220, 85));
        QCOMPARE(r.right(), 799);
        QCOMPARE(r.bottom(), 599);
    }

    void menusOfEachWindowKind()
    {
        for (int m : {IDR_MAINFRAME, IDR_AITYPE, IDR_DIOTYPE, IDR_HISTTYPE}) {
            const QList<PopupDef> popups = MenuDef(m);
            QVERIFY(!popups.isEmpty());
            QList<int> all;
            for (const PopupDef& p : popups) {
                // Separators only between items; every item has a text.
                QVERIFY(!p.items.isEmpty() && p.items.first() != ID_SEPARATOR && p.items.last() != ID_SEPARATOR);
                for (qsizetype i = 0; i < p.items.size(); ++i) {
                    const int id = p.items[i];
                    QVERIFY(id != ID_SEPARATOR || p.items[i + 1] != ID_SEPARATOR);
                    QVERIFY2(id == ID_SEPARATOR || !CommandText(id, m).isEmpty(), qPrintable(QString::number(id)));
                }
                all += p.items;
            }
            // Every window can end the program; every child window can close itself.
            QVERIFY(all.contains(ID_APP_EXIT));
            QCOMPARE(all.contains(ID_FILE_CLOSE), m != IDR_MAINFRAME);
        }
        QVERIFY(MenuDef(999).isEmpty());

        QCOMPARE(CommandText(ID_FILE_CLOSE, IDR_AITYPE), QStringLiteral("关闭AI窗口"));
        QCOMPARE(CommandText(ID_FILE_CLOSE, IDR_DIOTYPE), QStringLiteral("关闭DIO窗口"));
        QCOMPARE(CommandText(ID_FILE_CLOSE, IDR_HISTTYPE), QStringLiteral("关闭AI数据窗口"));
        QCOMPARE(CommandText(ID_APP_EXIT, IDR_DIOTYPE), QStringLiteral("退出应用程序(&X)"));
        QCOMPARE(CommandText(ID_APP_EXIT, IDR_AITYPE), QStringLiteral("退出软件(&X)"));
        QCOMPARE(CommandText(ID_START_ACQ, IDR_AITYPE), QStringLiteral("开始循环采集任务"));
    }

    void acceleratorKeys()
    {
        QHash<int, int> command;
        for (const AccelDef& a : AcceleratorTable())
            command.insert(a.key, a.id);
        QCOMPARE(command.size(), AcceleratorTable().size());   // one command per key
        QCOMPARE(command.value(int(Qt::Key_F10)), ID_START_ACQ);
        QCOMPARE(command.value(int(Qt::Key_F12)), ID_STOP_ACQ);
        QCOMPARE(command.value(int(Qt::SHIFT | Qt::Key_F6)), ID_PREV_PANE);
        QCOMPARE(command.value(int(Qt::CTRL | Qt::Key_O)), ID_FILE_OPEN);
        QVERIFY(!command.contains(int(Qt::CTRL | Qt::Key_N)));   // no new-document chooser
    }

    void deviceInfoReport()
    {
        DeviceInfo info;
        info.speed = 2;
        info.physId = 3;
        info.libVersion = 104;
        info.drvVersion = 203;
        info.fwVersion = 313;
        info.serial = 41700004;
        std::memcpy(info.pid, "NUV", 3);
        QCOMPARE(FormatDeviceInfo(info),
                 QStringLiteral("USB设备接口版本: USB2.0\n设备物理ID号: 3\n动态库版本号: 104\n驱动程序版本号: 203\n"
                                "固件版本号: 313\n产品序列号: 41700004\n用户PID: NUV"));
        // Sixteen bytes without a terminator: the text ends at the buffer's end.
        std::memcpy(info.pid, "ABCDEFGHIJKLMNOP", 16);
        QVERIFY(FormatDeviceInfo(info).endsWith(QStringLiteral("\n用户PID: ABCDEFGHIJKLMNOP")));
        info.serial = 4294967295u;   // unsigned
        QVERIFY(FormatDeviceInfo(info).contains(QStringLiteral("产品序列号: 4294967295\n")));
    }
};

QTEST_GUILESS_MAIN(TstShellRules)
#include "tst_shell_rules.moc"
