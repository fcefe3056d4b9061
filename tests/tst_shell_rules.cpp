// Pure rules of the shell: bar sizing and floating limits, the sizing strip, tab bar
// layout, the split pane's third, the greeting's place, the command table and the device
// information report.
#include "app/tabs/barsizing.h"
#include "app/cmdtable.h"
#include "app/devinfo.h"
#include "res/resource.h"

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

    void menusFollowTheTable()
    {
        const QList<PopupDef> ai = MenuDef(IDR_AITYPE);
        QCOMPARE(ai.size(), 6);
        QCOMPARE(ai[0].title, QStringLiteral("文件操作(&F)"));
        QCOMPARE(ai[0].items, (QList<int>{32851, 32796, 0, 32876, 0, 57616, 0, 32874, 32811, 0, 57602, 57665}));
        QCOMPARE(ai[1].items, (QList<int>{1317, 1316, 0, 32869}));
        QCOMPARE(ai[2].items, (QList<int>{32818, 32850, 0, 32784}));
        QCOMPARE(ai[3].items, (QList<int>{32870, 32783, 32810}));
        QCOMPARE(ai[4].items, (QList<int>{57650, 57651, 57652}));
        QCOMPARE(ai[5].items, (QList<int>{32802, 0, 57664}));
        const QList<PopupDef> main = MenuDef(IDR_MAINFRAME);
        QCOMPARE(main.size(), 2);
        QCOMPARE(main[0].items, (QList<int>{32812, 32874, 32864, 32811, 0, 57616, 0, 57665}));
        QCOMPARE(main[1].items, (QList<int>{57664}));
        const QList<PopupDef> dio = MenuDef(IDR_DIOTYPE);
        QCOMPARE(dio[0].title, QStringLiteral("文件"));
        QCOMPARE(dio[0].items, (QList<int>{32812, 0, 57602, 57665}));
        const QList<PopupDef> hist = MenuDef(IDR_HISTTYPE);
        QCOMPARE(hist.size(), 3);
        QCOMPARE(hist[0].items, (QList<int>{57607, 57608, 57609, 0, 32875, 32876, 0, 57602, 57665}));
        QVERIFY(MenuDef(999).isEmpty());

        QCOMPARE(CommandText(57602, IDR_AITYPE), QStringLiteral("关闭AI窗口"));
        QCOMPARE(CommandText(57602, IDR_DIOTYPE), QStringLiteral("关闭DIO窗口"));
        QCOMPARE(CommandText(57602, IDR_HISTTYPE), QStringLiteral("关闭AI数据窗口"));
        QCOMPARE(CommandText(57665, IDR_DIOTYPE), QStringLiteral("退出应用程序(&X)"));
        QCOMPARE(CommandText(57665, IDR_AITYPE), QStringLiteral("退出软件(&X)"));
        QCOMPARE(CommandText(1317, IDR_AITYPE), QStringLiteral("开始循环采集任务"));
        // Every item of every menu has a text.
        for (int m : {128, 129, 173, 182})
            for (const PopupDef& p : MenuDef(m))
                for (int id : p.items)
                    QVERIFY2(id == 0 || !CommandText(id, m).isEmpty(), qPrintable(QString::number(id)));
    }

    void acceleratorTable()
    {
        QList<int> ids;
        for (const AccelDef& a : AcceleratorTable())
            ids << a.id;
        QCOMPARE(ids, (QList<int>{1317, 1316, 32784, 57601, 57607, 57609, 57681}));
        QCOMPARE(AcceleratorTable()[6].key, int(Qt::SHIFT | Qt::Key_F6));
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
