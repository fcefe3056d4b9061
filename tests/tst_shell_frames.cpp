// The running shell: window tabs (images, removal, selection, context menus), the command
// table's enable/tick rules in each window kind, bar toggles and their "outside" rule,
// floating bars following activation, sizing bars, the split pane's third, the recent list,
// dropped and handed-over files, and the look of the main window.
#include "acquisition/aidoc.h"
#include "app/aifrm.h"
#include "app/aibars.h"
#include "views/aicurveview.h"
#include "res/bitmaps.h"
#include "datafile/opendatafile.h"
#include "app/aihistfrm.h"
#include "datafile/aihistdoc.h"
#include "app/diofrm.h"
#include "framework/document.h"
#include "app/mainfrm.h"
#include "app/tabs/mdiclient.h"
#include "device/mdq4170_sim.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "app/tabs/tabctrlbar.h"
#include "app/tabs/tabctrldoc.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QScrollArea>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include "views/aicurvevw.h"
#include "res/resource.h"

using namespace nuv;

namespace {

QStringList g_msgs;

CMainFrm* Main() { return theApp.m_pMainWnd; }
CTabCtrlDoc* Tabs() { return Main()->TabBar()->TabCtrl(); }

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTest::qWait(150);   // one idle refresh
}

// Update state of `id` as the active window's menu would show it.
struct ItemState {
    bool found = false;
    bool enabled = false;
    bool checkable = false;
    bool checked = false;
    QString text;
};

ItemState Item(int id)
{
    ItemState s;
    for (QMenu* m : Main()->Menus(Main()->CurrentMenuId())) {
        Main()->UpdateMenu(m);
        for (QAction* a : m->actions()) {
            if (a->objectName() == QString::number(id)) {
                s = {true, a->isEnabled(), a->isCheckable(), a->isChecked(), a->text()};
                return s;
            }
        }
    }
    return s;
}

QList<CAIHistFrm*> HistFrames()
{
    QList<CAIHistFrm*> list;
    for (CChildFrame* f : Main()->ChildFrames())
        if (auto* h = qobject_cast<CAIHistFrm*>(f))
            list << h;
    return list;
}

void CloseAllHistory()
{
    for (CAIHistFrm* h : HistFrames())
        h->CloseFrame();
    Settle();
}

QStringList MenuIds(QMenu* menu)
{
    QStringList ids;
    for (QAction* a : menu->actions())
        ids << a->objectName() + QLatin1Char(':') + a->text();
    return ids;
}

// A tool bar dragged off its dock, and docked at the top again.
void FloatToolBar(QMainWindow* frame, QToolBar* bar)
{
    frame->removeToolBar(bar);
    bar->setParent(frame, Qt::Tool | Qt::FramelessWindowHint);
    bar->show();
}

void DockToolBar(QMainWindow* frame, QToolBar* bar)
{
    bar->setParent(frame, Qt::Widget);
    frame->addToolBar(Qt::TopToolBarArea, bar);
    bar->show();
}

// Whether tab `i`, as drawn, shows window-tab image `image` somewhere (its opaque pixels).
bool TabShowsImage(int i, int image)
{
    const QImage shot = Tabs()->grab(Tabs()->tabRect(i)).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage icon = LoadImageStrip(IDB_WINDOW_TABS).value(image).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y0 = 0; y0 + icon.height() <= shot.height(); ++y0)
        for (int x0 = 0; x0 + icon.width() <= shot.width(); ++x0) {
            bool all = true;
            for (int y = 0; y < icon.height() && all; ++y)
                for (int x = 0; x < icon.width() && all; ++x)
                    if (qAlpha(icon.pixel(x, y)) == 255 && shot.pixel(x0 + x, y0 + y) != icon.pixel(x, y))
                        all = false;
            if (all)
                return true;
        }
    return false;
}

class CTestView : public QWidget, public CView {
public:
    explicit CTestView(QWidget* parent) : QWidget(parent) {}
    QWidget* GetWidget() override { return this; }
};

} // namespace

class TstShellFrames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetMessageHandler([](const MsgRequest& r) {
            g_msgs << r.text;
            return r.buttons == MsgButtons::YesNo ? int(IDYES) : int(IDOK);
        });
        MDQ4170SIM_SetModuleCount(0);
        QVERIFY(theApp.InitInstance());
        Main()->resize(1400, 900);
        Settle();
    }

    void cleanupTestCase() { theApp.ExitInstance(); }

    void startUpTabs()
    {
        QCOMPARE(Tabs()->count(), 2);
        QCOMPARE(Tabs()->TabImage(0), 0);
        QCOMPARE(Tabs()->TabImage(1), 1);
        QCOMPARE(Tabs()->tabText(0), QStringLiteral("AI模拟量输入"));
        QCOMPARE(Tabs()->tabText(1), QStringLiteral("DIO数字量"));
        QCOMPARE(Tabs()->currentIndex(), 0);
        QCOMPARE(Main()->CurrentMenuId(), 129);
        QCOMPARE(Tabs()->objectName(), QStringLiteral("142"));
        QCOMPARE(Main()->TabBar()->objectName(), QStringLiteral("141"));
    }

    void tabImagesFollowTheWindowKind()
    {
        g_msgs.clear();
        QVERIFY(theApp.OpenDocumentFile(QStringLiteral("/nonexistent/none.bin")) != nullptr);
        Settle();
        QVERIFY(!g_msgs.isEmpty());   // the failed open said why; the window stays, empty
        QCOMPARE(Tabs()->count(), 3);
        QCOMPARE(Tabs()->TabImage(2), 2);
        QCOMPARE(Tabs()->currentIndex(), 2);
        QCOMPARE(Main()->CurrentMenuId(), 182);
        CloseAllHistory();
        QCOMPARE(Tabs()->count(), 2);
        // Five windows: every history tab shows the history image, the fifth one too.
        for (const char* f : {"/nonexistent/a.bin", "/nonexistent/b.bin", "/nonexistent/c.bin"})
            theApp.OpenDocumentFile(QString::fromLatin1(f));
        Settle();
        QCOMPARE(Tabs()->count(), 5);
        for (int i = 2; i < 5; ++i)
            QCOMPARE(Tabs()->TabImage(i), 2);
        QVERIFY(TabShowsImage(4, 2));
        QVERIFY(!TabShowsImage(4, 3));
        QVERIFY(TabShowsImage(0, 0));
        QVERIFY(TabShowsImage(1, 1));
        CloseAllHistory();
    }

    void tabTextFollowsCaptionAndIsCutWhenDrawn()
    {
        CAIHistDoc* doc = theApp.OpenDocumentFile(QStringLiteral("/nonexistent/long.bin"));
        QVERIFY(doc != nullptr);
        const QString longTitle = QString(70, QLatin1Char('x'));
        doc->SetTitle(longTitle);
        Settle();
        QCOMPARE(Tabs()->tabText(2), longTitle);
        QCOMPARE(Tabs()->DrawnText(2), QString(63, QLatin1Char('x')));
        QTRY_VERIFY(Main()->windowTitle().endsWith(QStringLiteral(" - ") + longTitle));
        CloseAllHistory();
    }

    void clickingATabActivatesItsWindow()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QCOMPARE(Tabs()->currentIndex(), 0);
        QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
        Settle();
        QCOMPARE(Main()->ActiveChildFrame(), static_cast<CChildFrame*>(theApp.m_pDIOFrame));
        QCOMPARE(Main()->CurrentMenuId(), 173);
        QTRY_COMPARE(Main()->windowTitle(), QStringLiteral("MDQ4170-0 产品演示系统 - DIO数字量"));
        // Activating a window from elsewhere moves the selection at the next refresh.
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QCOMPARE(Tabs()->currentIndex(), 0);
    }

    void tabMenuPerKind()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        std::unique_ptr<QMenu> menu(Main()->BuildTabMenu());
        QCOMPARE(MenuIds(menu.get()), (QStringList{QStringLiteral("32796:返回到采集"), QStringLiteral("57602:关闭AI窗口")}));
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Settle();
        menu.reset(Main()->BuildTabMenu());
        QCOMPARE(MenuIds(menu.get()), QStringList{QStringLiteral("57602:关闭DIO窗口")});
        theApp.OpenDocumentFile(QStringLiteral("/nonexistent/menu.bin"));
        Settle();
        menu.reset(Main()->BuildTabMenu());
        QVERIFY(menu->actions().isEmpty());
        CloseAllHistory();
    }

    void rightClickCountsOnlyOnTheCurrentTab()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QSignalSpy spy(Main()->TabBar(), &CTabCtrlBarDoc::contextMenuRequested);
        QTest::mousePress(Tabs(), Qt::RightButton, {}, Tabs()->tabRect(1).center());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(Tabs()->currentIndex(), 0);
        // On the current tab the menu opens; close it from a timer.
        QTimer::singleShot(100, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        QTest::mousePress(Tabs(), Qt::RightButton, {}, Tabs()->tabRect(0).center());
        QCOMPARE(spy.count(), 1);
    }

    void commandRulesInTheAIWindow()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QCOMPARE(Main()->CurrentMenuId(), 129);
        CAIDoc* doc = theApp.m_pAIFrame->GetDoc();
        for (int id : {32850, 32874})
            QVERIFY2(!Item(id).enabled, qPrintable(QString::number(id)));
        for (int id : {32851, 32811, 57602, 57665, 32869, 32818, 32784, 32870, 32783, 32810, 57650, 57651, 57652, 32802,
                       57664, 1317})
            QVERIFY2(Item(id).enabled, qPrintable(QString::number(id)));
        QVERIFY(!Item(1316).enabled);
        QVERIFY(!Item(32796).enabled);
        QCOMPARE(Item(1317).text, QStringLiteral("开始采集任务"));
        QVERIFY(Item(32818).checked);

        // 32784: ticked while the flag is 0.
        QCOMPARE(doc->m_bMiddleValue, 1);
        QVERIFY(!Item(32784).checked);
        QVERIFY(Main()->ExecuteCmd(32784));
        QCOMPARE(doc->m_bMiddleValue, 0);
        QVERIFY(Item(32784).checked);
        // F5 goes the same way.
        QAction* f5 = Main()->findChild<QAction*>(QStringLiteral("32784"), Qt::FindDirectChildrenOnly);
        QVERIFY(f5 != nullptr);
        QCOMPARE(f5->shortcut(), QKeySequence(Qt::Key_F5));
        f5->trigger();
        QCOMPARE(doc->m_bMiddleValue, 1);

        // 32810: enabled, never ticked.
        QVERIFY(!Item(32810).checkable);
        QVERIFY(Main()->ExecuteCmd(32810));
        QVERIFY(!Item(32810).checked);

        // Bar toggles.
        QVERIFY(Item(32870).checked);
        Main()->ExecuteCmd(32870);
        QVERIFY(!theApp.m_pAIFrame->OperateBar()->isVisible());
        QVERIFY(!Item(32870).checked);
        Main()->ExecuteCmd(32870);
        QVERIFY(theApp.m_pAIFrame->OperateBar()->isVisible());
        QVERIFY(Item(32870).checked);
        QVERIFY(Item(32783).checked);
        Main()->ExecuteCmd(32783);
        QVERIFY(!Item(32783).checked);
        Main()->ExecuteCmd(32783);
        QVERIFY(Item(32783).checked);

        // Operate bar buttons follow the routing on the idle update.
        QPushButton* start = theApp.m_pAIFrame->OperateBar()->Button(1317);
        QPushButton* stop = theApp.m_pAIFrame->OperateBar()->Button(1316);
        QTRY_VERIFY(start->isEnabled());
        QTRY_VERIFY(!stop->isEnabled());
        QCOMPARE(start->objectName(), QStringLiteral("1317"));
        QCOMPARE(stop->toolTip(), QStringLiteral("点击此按钮，即可终止采集任务"));
    }

    void menuItemsCarryTheirIds()
    {
        const QList<QMenu*> menus = Main()->Menus(129);
        QCOMPARE(menus.size(), 6);
        QStringList titles;
        for (QMenu* m : menus)
            titles << m->title();
        QCOMPARE(titles, (QStringList{QStringLiteral("文件操作(&F)"), QStringLiteral("设备操作(&O)"), QStringLiteral("数据处理(&P)"),
                                      QStringLiteral("视图控制(&V)"), QStringLiteral("窗口管理(&W)"), QStringLiteral("系统帮助(&H)")}));
        QStringList device;
        for (QAction* a : menus[1]->actions())
            device << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(device, (QStringList{QStringLiteral("1317"), QStringLiteral("1316"), QStringLiteral("-"), QStringLiteral("32869")}));
        QCOMPARE(Main()->menuBar()->actions().size(), 6);
    }

    void commandRulesInTheDIOAndHistoryWindows()
    {
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Settle();
        QCOMPARE(Main()->CurrentMenuId(), 173);
        CCmdUI ui(32784);
        QVERIFY(!Main()->RouteCmdMsg(32784, &ui));   // no handler: shown disabled
        QVERIFY(!Main()->RouteCmdMsg(32870, &ui));
        QVERIFY(Item(32812).enabled);
        QVERIFY(Item(57602).enabled);
        QCOMPARE(Item(57602).text, QStringLiteral("关闭DIO窗口"));
        QCOMPARE(Item(57665).text, QStringLiteral("退出应用程序(&X)"));
        QVERIFY(!Main()->ExecuteCmd(32784));

        theApp.OpenDocumentFile(QStringLiteral("/nonexistent/rules.bin"));
        Settle();
        QCOMPARE(Main()->CurrentMenuId(), 182);
        QCOMPARE(Item(57602).text, QStringLiteral("关闭AI数据窗口"));
        QVERIFY(Item(32802).enabled);
        QVERIFY(!Main()->RouteCmdMsg(32870, &ui));
        CCmdUI param(32783);
        QVERIFY(Main()->RouteCmdMsg(32783, &param));
        QCOMPARE(param.m_nCheck, 1);
        CCmdUI overlay(32850);
        QVERIFY(Main()->RouteCmdMsg(32850, &overlay));
        QVERIFY(overlay.m_bEnabled);
        // With the waveform pane active the table still takes the print commands.
        CAIHistFrm* hist = HistFrames().value(0);
        QVERIFY(hist);
        hist->SetActiveView(hist->GetCurveVw());
        hist->GetCurveVw()->setFocus();
        QTRY_COMPARE(hist->GetActiveView(), static_cast<CView*>(hist->GetCurveVw()));
        for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
            CCmdUI print(id);
            QVERIFY2(Main()->RouteCmdMsg(id, &print), qPrintable(QString::number(id)));
        }
        CloseAllHistory();
    }

    void mainMenuAndGreetingWithoutChildren()
    {
        theApp.m_pDIOFrame->CloseFrame();
        theApp.m_pAIFrame->CloseFrame();
        Settle();
        QVERIFY(theApp.m_pAIFrame == nullptr);
        QVERIFY(theApp.m_pDIOFrame == nullptr);
        QCOMPARE(Tabs()->count(), 0);
        QCOMPARE(Main()->CurrentMenuId(), 128);
        QCOMPARE(Main()->windowTitle(), QStringLiteral("MDQ4170-0 产品演示系统"));
        QVERIFY(!Item(32874).enabled);
        QVERIFY(!Item(32864).enabled);
        QVERIFY(Item(32812).enabled);
        QVERIFY(Item(57664).enabled);

        // The greeting: its colour appears in the lower right quarter only.
        const QImage img = Main()->MdiClient()->viewport()->grab().toImage();
        const QColor greet(30, 30, 70);
        auto count = [&](QRect r) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (img.pixelColor(x, y).rgb() == greet.rgb())
                        ++n;
            return n;
        };
        const int w = img.width(), h = img.height();
        QVERIFY(count(QRect(w / 2, h / 2, w / 2, h / 2)) > 50);
        QCOMPARE(count(QRect(0, 0, w / 2, h / 2)), 0);
        QCOMPARE(img.pixelColor(5, 5).rgb(), Main()->MdiClient()->m_crBack.rgb());

        // Reopening from the menu, DIO first: each tab keeps the image of its kind.
        QVERIFY(Main()->ExecuteCmd(32811));
        QVERIFY(Main()->ExecuteCmd(32812));
        Settle();
        QVERIFY(theApp.m_pAIFrame != nullptr);
        QVERIFY(theApp.m_pDIOFrame != nullptr);
        QCOMPARE(Tabs()->tabText(0), QStringLiteral("DIO数字量"));
        QCOMPARE(Tabs()->TabImage(0), 1);
        QCOMPARE(Tabs()->TabImage(1), 0);
    }

    void aiWindowIsUnique()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        theApp.OpenDocumentFile(QStringLiteral("/nonexistent/unique.bin"));
        Settle();
        CloseAllHistory();
        QCOMPARE(theApp.m_pAIFrame, ai);
        QVERIFY(Main()->ExecuteCmd(32812));
        Settle();
        QCOMPARE(theApp.m_pAIFrame, ai);
        QCOMPARE(Main()->ActiveChildFrame(), static_cast<CChildFrame*>(ai));
        QCOMPARE(Tabs()->count(), 2);
    }

    void leftPaneKeepsToAThird()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        Main()->ActivateFrame(ai);
        Main()->resize(2600, 900);
        Settle();
        const int wide = ai->Splitter()->sizes().value(0);
        QCOMPARE(wide, CAIFrm::InitialLeftPaneWidth());
        Main()->resize(1200, 800);
        Settle();
        QVERIFY(ai->Splitter()->sizes().value(0) <= ai->width() / 3);
        const int narrowed = ai->Splitter()->sizes().value(0);
        Main()->resize(2600, 900);
        Settle();
        QVERIFY(ai->Splitter()->sizes().value(0) <= narrowed);
        Main()->resize(1400, 900);
        Settle();
    }

    void parameterBarSizes()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        CTabCtrlBar* bar = ai->ParamBar();
        QTRY_COMPARE(bar->width(), 288);
        QCOMPARE(bar->windowTitle(), QStringLiteral(" AI配置与分析条"));
        QCOMPARE(bar->Label(0), QStringLiteral("参数配置"));
        QCOMPARE(bar->Side(), BarSide::Right);

        // Dragging the inner (left) edge 100 px to the left.
        QWidget* body = bar->widget();
        const QPoint edge = bar->EdgeRectInBar().center() - body->pos();
        QTest::mousePress(body, Qt::LeftButton, {}, edge);
        QVERIFY(bar->IsTracking());
        QTest::mouseMove(body, edge - QPoint(100, 0));
        QTest::mouseRelease(body, Qt::LeftButton, {}, edge - QPoint(100, 0));
        QVERIFY(!bar->IsTracking());
        Settle();
        QCOMPARE(bar->width(), 388);
        QCOMPARE(bar->StoredSize(BarSide::Right), 388);

        // Far to the right: never below 128.
        bar->StartTracking(bar->EdgeRectInBar().center());
        bar->MoveTracking(bar->EdgeRectInBar().center() + QPoint(400, 0));
        bar->StopTracking(true);
        Settle();
        QCOMPARE(bar->width(), 128);

        // A drag that is not accepted changes nothing.
        bar->StartTracking(bar->EdgeRectInBar().center());
        bar->MoveTracking(bar->EdgeRectInBar().center() - QPoint(160, 0));
        bar->StopTracking(false);
        Settle();
        QCOMPARE(bar->width(), 128);

        bar->StartTracking(bar->EdgeRectInBar().center());
        bar->MoveTracking(bar->EdgeRectInBar().center() - QPoint(160, 0));
        bar->StopTracking(true);
        Settle();
        QCOMPARE(bar->width(), 288);
    }

    void floatingBarLimitsAndOutsideRule()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        CTabCtrlBar* bar = ai->ParamBar();
        bar->setFloating(true);
        Settle();
        QCOMPARE(bar->Side(), BarSide::Floating);
        bar->resize(40, 40);
        QVERIFY(bar->width() >= 128 && bar->height() >= 128);
        bar->resize(3000, 3000);
        QVERIFY(bar->width() <= 1024 && bar->height() <= 768);

        // A floating bar away from the window lies outside: unticked; the toggle docks it
        // at the right again and shows it.
        bar->move(ai->mapToGlobal(QPoint(0, 0)) + QPoint(-5000, -5000));
        Settle();
        QVERIFY(!Item(32783).checked);
        Main()->ExecuteCmd(32783);
        Settle();
        QVERIFY(!bar->isFloating());
        QVERIFY(bar->isVisible());
        QCOMPARE(ai->dockWidgetArea(bar), Qt::RightDockWidgetArea);
        QVERIFY(Item(32783).checked);
        QTRY_COMPARE(bar->width(), 288);   // the stored right-side size again
    }

    void floatingStatisticsBarFollowsActivation()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        CTabCtrlBar* stats = ai->StatisticsBar();
        QVERIFY(!stats->isVisible());
        QCOMPARE(stats->windowTitle(), QStringLiteral(" AI数据统计窗口"));
        QCOMPARE(stats->Label(0), QStringLiteral("AI历史回顾"));
        stats->show();
        Settle();
        QTRY_COMPARE(stats->height(), 160);
        stats->setFloating(true);
        stats->show();
        Settle();
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Settle();
        QVERIFY(!stats->isVisible());
        Main()->ActivateFrame(ai);
        Settle();
        QVERIFY(stats->isVisible());
        // Docked bars are left alone.
        stats->setFloating(false);
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Settle();
        QVERIFY(stats->isVisible());
        Main()->ActivateFrame(ai);
        stats->hide();
        Settle();
    }

    void toolTipsWrapAndShowWhileInactiveButNotWhileRunning()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        // The long tip of the zoom list wraps at 256 pixels.
        QWidget* zoom = ai->OperateBar()->ZoomList();
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), Main()->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(zoom, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        const QStringList lines = QToolTip::text().split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 3);
        QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')), zoom->toolTip().remove(QLatin1Char(' ')));
        const QFontMetrics fm(QToolTip::font());
        for (const QString& l : lines)
            QVERIFY2(fm.horizontalAdvance(l) <= 256, qPrintable(l));
        QToolTip::hideText();
        // Shown while the program is not the active one: docked and floating.
        QVERIFY(ai->OperateBar()->window()->testAttribute(Qt::WA_AlwaysShowToolTips));
        FloatToolBar(ai, ai->OperateBar());
        QVERIFY(ai->OperateBar()->isWindow() && ai->OperateBar()->testAttribute(Qt::WA_AlwaysShowToolTips));
        DockToolBar(ai, ai->OperateBar());

        QPushButton* stop = ai->OperateBar()->Button(1316);
        const QPoint at = stop->rect().center();
        QHelpEvent idle(QEvent::ToolTip, at, stop->mapToGlobal(at));
        QApplication::sendEvent(stop, &idle);
        QTRY_VERIFY(QToolTip::isVisible());
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        ai->GetDoc()->m_bRunning.store(1);
        QHelpEvent busy(QEvent::ToolTip, at, stop->mapToGlobal(at));
        QApplication::sendEvent(stop, &busy);
        QTest::qWait(100);
        QVERIFY(!QToolTip::isVisible());
        ai->GetDoc()->m_bRunning.store(0);
    }

    void windowArrangementAndMaximizeAgain()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QVERIFY(Main()->ExecuteCmd(57652));   // columns
        Settle();
        const QList<QMdiSubWindow*> subs = Main()->MdiArea()->subWindowList();
        QCOMPARE(subs.size(), 2);
        QVERIFY(!Main()->MdiClient()->IsMaximizedChild(subs[0]));
        QCOMPARE(subs[0]->geometry().top(), subs[1]->geometry().top());
        QVERIFY(subs[0]->geometry().right() < subs[1]->geometry().left());
        QVERIFY(Main()->ExecuteCmd(57651));   // rows
        Settle();
        QVERIFY(subs[0]->geometry().bottom() < subs[1]->geometry().top());
        QVERIFY(Main()->ExecuteCmd(57650));
        Settle();
        // The AI command brings its window back, maximized.
        QVERIFY(Main()->ExecuteCmd(32812));
        Settle();
        auto* aiSub = qobject_cast<QMdiSubWindow*>(theApp.m_pAIFrame->parentWidget());
        QVERIFY(Main()->MdiClient()->IsMaximizedChild(aiSub));
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
    }

    void otherPaneAndAboutBox()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        Main()->activateWindow();
        QWidget* left = ai->Splitter()->widget(0);
        QWidget* right = ai->Splitter()->widget(1);
        left->setFocus();
        QApplication::processEvents();
        if (QApplication::focusWidget() != left)
            QSKIP("no keyboard focus on this platform");
        QVERIFY(Main()->ExecuteCmd(57681));
        QVERIFY(QApplication::focusWidget() == right || right->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(Main()->ExecuteCmd(57681));
        QVERIFY(QApplication::focusWidget() == left || left->isAncestorOf(QApplication::focusWidget()));

        QString seen;
        QTimer::singleShot(100, [&seen] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                seen = box->objectName();
                if (auto* text = box->findChild<QLabel*>(QStringLiteral("nameVersion")))
                    seen += QLatin1Char('|') + text->text();
                box->close();
            }
        });
        QVERIFY(Main()->ExecuteCmd(57664));
        QVERIFY2(seen.startsWith(QStringLiteral("100|NUV ")), qPrintable(seen));
    }

    void postedMessagesReachTheDocument()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        CAIDoc* doc = ai->GetDoc();
        QCOMPARE(doc->m_hFrameWnd.load(), ai->GetSafeHwnd());
        doc->m_SampleCount.store(42);
        QVERIFY(PostMessage(ai->GetSafeHwnd(), WM_FILE_STATUS));
        QTRY_COMPARE(ai->StatusField(1287), QStringLiteral("42"));
        doc->SetTitle(QStringLiteral("changed"));
        QVERIFY(!ai->IsStatusInfoBarVisible());
        QVERIFY(PostMessage(ai->GetSafeHwnd(), WM_FILE_CLOSE));
        QTRY_COMPARE(doc->GetTitle(), QStringLiteral("AI模拟量输入"));
        QVERIFY(ai->IsStatusInfoBarVisible());
        ai->ShowStatusInfoBar(false);
        doc->m_SampleCount.store(0);
    }

    void barTabsCutLabelsAndSwitchViews()
    {
        QMainWindow frame;
        CTabCtrlBar bar(&frame);
        QVERIFY(bar.Create(QStringLiteral("t"), 300, 300, 133));
        frame.addDockWidget(Qt::LeftDockWidgetArea, &bar);
        const QString label40(40, QLatin1Char('L'));
        CTestView* first = bar.AddView<CTestView>(label40);
        CTestView* second = bar.AddView<CTestView>(QStringLiteral("two"));
        QVERIFY(first && second);
        QCOMPARE(bar.Label(0), QString(31, QLatin1Char('L')));
        QCOMPARE(bar.TabCtrl()->tabText(0), QString(31, QLatin1Char('L')));
        QCOMPARE(bar.TabCtrl()->objectName(), QStringLiteral("110"));
        QVERIFY(!bar.TabCtrl()->tabIcon(1).isNull());
        frame.show();
        Settle();
        QCOMPARE(bar.ActiveTab(), 0);
        QVERIFY(first->isVisible() && first->isEnabled());
        QVERIFY(!second->isVisible() && !second->isEnabled());
        bar.SetActiveView(-1);
        QCOMPARE(bar.ActiveTab(), 0);
        bar.SetActiveView(0);
        QCOMPARE(bar.ActiveTab(), 0);
        QTest::mouseClick(bar.TabCtrl(), Qt::LeftButton, {}, bar.TabCtrl()->tabRect(1).center());
        QCOMPARE(bar.ActiveTab(), 1);
        QVERIFY(second->isVisible() && second->isEnabled());
        QVERIFY(!first->isVisible() && !first->isEnabled());
        QCOMPARE(bar.TabCtrl()->currentIndex(), 1);
        QWidget* view = static_cast<CView*>(second)->GetWidget();
        QCOMPARE(view->mapTo(bar.Client(), QPoint(0, 0)), QPoint(9, 29));
    }

    void idleUpdateOnlyWhenSomethingHappens()
    {
        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QVERIFY(!Main()->IsIdleUpdatePending());
        QTest::qWait(300);
        QVERIFY(!Main()->IsIdleUpdatePending());   // no clock of its own
        // Input, a command, a notice of the worker and a new title each bring one.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        QApplication::sendEvent(Main(), &key);
        QVERIFY(Main()->IsIdleUpdatePending());
        Settle();
        QVERIFY(Main()->ExecuteCmd(32870));
        QVERIFY(Main()->IsIdleUpdatePending());
        Settle();
        QVERIFY(Main()->ExecuteCmd(32870));
        Settle();
        QVERIFY(PostMessage(theApp.m_pAIFrame->GetSafeHwnd(), WM_FILE_STATUS));
        QCoreApplication::sendPostedEvents(theApp.m_pAIFrame, MsgType(WM_FILE_STATUS));
        QVERIFY(Main()->IsIdleUpdatePending());
        Settle();
        const QString title = theApp.m_pAIFrame->GetDocument()->GetTitle();
        theApp.m_pAIFrame->GetDocument()->SetTitle(QStringLiteral("changed"));
        QVERIFY(Main()->IsIdleUpdatePending());
        Settle();
        QVERIFY(Main()->windowTitle().endsWith(QStringLiteral(" - changed")));
        theApp.m_pAIFrame->GetDocument()->SetTitle(title);
        Settle();
    }

    void recentFileList()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 17; ++i)
            theApp.AddToRecentFileList(dir.filePath(QStringLiteral("f%1.bin").arg(i)));
        QCOMPARE(theApp.RecentFiles().size(), 16);
        QCOMPARE(theApp.RecentFiles().first(), dir.filePath(QStringLiteral("f16.bin")));
        theApp.AddToRecentFileList(dir.filePath(QStringLiteral("f5.bin")));
        QCOMPARE(theApp.RecentFiles().first(), dir.filePath(QStringLiteral("f5.bin")));
        QCOMPARE(theApp.RecentFiles().count(dir.filePath(QStringLiteral("f5.bin"))), 1);
        // Stored a moment later, all the changes in one write, without waiting for exit.
        QVERIFY(theApp.IsRecentFileListPending());
        QTRY_VERIFY_WITH_TIMEOUT(!theApp.IsRecentFileListPending(), 3000);
        QCOMPARE(QSettings(QStringLiteral("NUV"), QStringLiteral("NUV")).value(QStringLiteral("Recent File List/File1")),
                 QVariant(dir.filePath(QStringLiteral("f5.bin"))));
        const QStringList saved = theApp.RecentFiles();
        theApp.LoadRecentFileList();
        QCOMPARE(theApp.RecentFiles(), saved);

        Main()->ActivateFrame(theApp.m_pAIFrame);
        Settle();
        QMenu* file = Main()->Menus(129).first();
        Main()->UpdateMenu(file);
        QStringList entries;
        QAction* second = nullptr;
        for (QAction* a : file->actions()) {
            const int id = a->objectName().toInt();
            if (id >= 57616 && id < 57632) {
                entries << a->text();
                if (id == 57617)
                    second = a;
            }
        }
        QCOMPARE(entries.size(), 16);
        QVERIFY(entries[0].startsWith(QStringLiteral("&1 ")));
        QVERIFY(second != nullptr);
        const int tabs = Tabs()->count();
        second->trigger();
        Settle();
        QCOMPARE(Tabs()->count(), tabs + 1);
        CloseAllHistory();
    }

    void droppedAndHandedOverFilesOpenInHistoryWindows()
    {
        const int before = int(HistFrames().size());
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(QStringLiteral("/nonexistent/dropped.bin"))});
        QVERIFY(Main()->acceptDrops());
        QVERIFY(Main()->OnDropFiles(mime));
        Settle();
        QCOMPARE(int(HistFrames().size()), before + 1);
        mime->setUrls({QUrl(QStringLiteral("http://example.invalid/x.bin"))});
        QVERIFY(!Main()->OnDropFiles(mime));   // only local files
        delete mime;

        theApp.OpenHandedOverFiles({QStringLiteral("/nonexistent/plain.bin")});
        Settle();
        QCOMPARE(int(HistFrames().size()), before + 1);   // plain arguments open nothing
        theApp.OpenHandedOverFiles({QStringLiteral("--open"), QStringLiteral("/nonexistent/a.bin"), QStringLiteral("/nonexistent/b.bin")});
        Settle();
        QCOMPARE(int(HistFrames().size()), before + 3);
        CloseAllHistory();
    }

    void floatingBarsSurviveAiDioHistoryAi()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        Main()->ActivateFrame(ai);
        Settle();
        QToolBar* operate = ai->OperateBar();
        CTabCtrlBar* stats = ai->StatisticsBar();
        stats->show();
        stats->setFloating(true);
        FloatToolBar(ai, operate);
        Settle();
        QVERIFY(operate->isWindow() && stats->isWindow());
        theApp.OpenDocumentFile(QStringLiteral("/nonexistent/sequence.bin"));
        Settle();
        CAIHistFrm* hist = HistFrames().value(0);
        QVERIFY(hist != nullptr);
        // AI -> DIO -> history -> AI: hidden while another kind is active, back afterwards.
        Main()->ActivateFrame(ai);
        Settle();
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Settle();
        QVERIFY(!operate->isVisible() && !stats->isVisible());
        Main()->ActivateFrame(hist);
        Settle();
        QVERIFY(!operate->isVisible() && !stats->isVisible());
        Main()->ActivateFrame(ai);
        Settle();
        QVERIFY(operate->isVisible());
        QVERIFY(stats->isVisible());
        // Put back: operate bar docked at the top, statistics bar docked and hidden.
        DockToolBar(ai, operate);
        stats->setFloating(false);
        stats->hide();
        CloseAllHistory();
        QVERIFY(ai->OperateBar()->isVisible());
    }

    void onlyTheProgramsOwnMenusOverBars()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        Main()->ActivateFrame(ai);
        ai->StatisticsBar()->show();
        Settle();
        auto rightClick = [](QWidget* target, QWidget* at, QPoint pos) {
            const QPoint inTarget = at->mapTo(target, pos);
            QContextMenuEvent e(QContextMenuEvent::Mouse, inTarget, target->mapToGlobal(inTarget));
            QApplication::sendEvent(target, &e);
            QApplication::processEvents();
            QWidget* popup = QApplication::activePopupWidget();
            if (popup != nullptr)
                popup->close();
            return popup == nullptr;
        };
        // Operate bar, the title of each dock, the main window's menu bar.
        QVERIFY(rightClick(ai, ai->OperateBar(), QPoint(2, 2)));
        QVERIFY(rightClick(ai, ai->ParamBar(), QPoint(20, 4)));
        QVERIFY(rightClick(ai, ai->StatisticsBar(), QPoint(20, 4)));
        QVERIFY(rightClick(Main(), Main()->menuBar(), QPoint(Main()->menuBar()->width() - 5, 5)));
        ai->StatisticsBar()->hide();
        QVERIFY(!ai->IsStatusInfoBarVisible());
    }

    void maximizingAgainAfterTiling()
    {
        CAIFrm* ai = theApp.m_pAIFrame;
        Main()->ActivateFrame(ai);
        Settle();
        const int fullLeft = ai->Splitter()->sizes().value(0);
        const int paramWidth = ai->ParamBar()->width();
        QVERIFY(Main()->ExecuteCmd(57652));   // columns: the AI window is narrow
        Settle();
        auto* sub = qobject_cast<QMdiSubWindow*>(ai->parentWidget());
        QVERIFY(!Main()->MdiClient()->IsMaximizedChild(sub));
        QVERIFY(ai->Splitter()->sizes().value(0) < fullLeft);
        // The toolkit's own maximize (its button, a double click on the title).
        sub->showMaximized();
        Settle();
        QVERIFY(Main()->MdiClient()->IsMaximizedChild(sub));
        QVERIFY(!(sub->windowState() & Qt::WindowMaximized));
        QTRY_COMPARE(Main()->windowTitle(), QStringLiteral("MDQ4170-0 产品演示系统 - AI模拟量输入"));
        QWidget* corner = Main()->menuBar()->cornerWidget(Qt::TopRightCorner);
        QVERIFY(corner == nullptr || !corner->isVisible());
        QTRY_COMPARE(ai->Splitter()->sizes().value(0), std::min(CAIFrm::InitialLeftPaneWidth(), ai->width() / 3));
        QTRY_COMPARE(ai->ParamBar()->width(), paramWidth);
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Main()->ActivateFrame(ai);
        Settle();
    }

    void smallWindowsKeepEveryControlLegible()
    {
        const QByteArray shots = qgetenv("NUV_SHOT_DIR");
        CAIFrm* ai = theApp.m_pAIFrame;
        theApp.OpenDocumentFile(QStringLiteral("/nonexistent/small.bin"));
        Main()->ActivateFrame(ai);
        ai->ShowStatusInfoBar(true);
        ai->SetStatusField(1109, QStringLiteral("/home/operator/data/2024-05-01_run_0001.bin"));
        Main()->resize(1024, 700);
        Settle();
        CStatusInfoBar* status = ai->StatusInfoBar();
        auto* dioScroll = qobject_cast<QScrollArea*>(theApp.m_pDIOFrame->centralWidget());
        QVERIFY(dioScroll != nullptr);
        const struct {
            int cmd;
            const char* name;
        } arrangements[] = {{0, "maximized"}, {57650, "cascade"}, {57651, "rows"}, {57652, "columns"}};
        for (const auto& a : arrangements) {
            if (a.cmd != 0)
                QVERIFY(Main()->ExecuteCmd(a.cmd));
            Settle();
            Settle();
            const QString where = QString::fromLatin1(a.name);
            // The waveform pane keeps 320 pixels.
            QVERIFY2(ai->GetCurveView()->width() >= 320, qPrintable(where + QString::number(ai->GetCurveView()->width())));
            // The DIO panel never gets smaller than its controls need; it scrolls instead.
            QWidget* dio = dioScroll->widget();
            QVERIFY2(dio->width() >= dio->minimumSizeHint().width() && dio->height() >= dio->minimumSizeHint().height(),
                     qPrintable(where));
            if (!shots.isEmpty())
                Main()->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/small-%1.png").arg(where));
            // No status label overprints its field; each label is shown whole, and a pair
            // that does not fit waits behind the bar's extension button.
            QList<QWidget*> row;
            for (QWidget* w : status->findChildren<QWidget*>())
                if ((qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w)) && w->isVisibleTo(status))
                    row << w;
            QVERIFY(row.size() >= 2);
            if (row.size() < 8) {
                auto* more = status->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
                QVERIFY2(more != nullptr && more->isVisible(), qPrintable(where));
            }
            for (QWidget* w : row) {
                if (auto* l = qobject_cast<QLabel*>(w))
                    QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(where + l->text()));
                const QRect r(w->mapTo(status, QPoint(0, 0)), w->size());
                QVERIFY2(status->rect().contains(r), qPrintable(where + w->objectName()));
                for (QWidget* other : row)
                    if (other != w)
                        QVERIFY2(!r.intersects(QRect(other->mapTo(status, QPoint(0, 0)), other->size())),
                                 qPrintable(where + w->objectName()));
            }
        }
        ai->ShowStatusInfoBar(false);
        CloseAllHistory();
        Main()->ActivateFrame(theApp.m_pDIOFrame);
        Main()->ActivateFrame(ai);
        Main()->resize(1400, 900);
        Settle();
    }

    void dialogsSpeakChineseAndStartInTheLastDataFolder()
    {
        QCOMPARE(InstallQtTranslations(QLocale::c()), QStringLiteral("zh_CN"));
        QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
        QVERIFY(box.button(QDialogButtonBox::Open)->text().contains(QStringLiteral("打开")));
        QVERIFY(box.button(QDialogButtonBox::Save)->text().contains(QStringLiteral("保存")));

        QTemporaryDir dir;
        RememberDataFolder(dir.filePath(QStringLiteral("run.bin")));
        for (int cmd : {32851, 57601}) {
            QString seen;
            QTimer::singleShot(200, [&seen] {
                if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    seen = QDir(dlg->directory()).absolutePath() + QLatin1Char('|') + dlg->windowTitle();
                    dlg->reject();
                }
            });
            QVERIFY(Main()->ExecuteCmd(cmd));
            QCOMPARE(seen.section(QLatin1Char('|'), 0, 0), QDir(dir.path()).absolutePath());
        }
    }
};

QTEST_MAIN(TstShellFrames)
#include "tst_shell_frames.moc"
