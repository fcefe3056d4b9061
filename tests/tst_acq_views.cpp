// The live digit view (columns, rows, modes, modulus, context menu) and the statistics list.
#include "tst_acq_rig.h"

#include "acquisition/acqmsg.h"
#include "app/aifrm.h"
#include "views/aicurveview.h"

#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTest>

using namespace nuv;
using namespace nuvtest;

namespace {
ScanBlock Scan(uint16_t code, float value)
{
    ScanBlock s{};
    for (int k = 0; k < 8; ++k) {
        s.Channel[k].Code = uint16_t(code + k);
        s.Channel[k].Value = value + float(k);
    }
    return s;
}
void PostRow(CAIDigitView* v, uint64_t count, const ScanBlock& scan)
{
    DigitRowNotice n{count, scan};
    QVERIFY(PostMessage(v->GetSafeHwnd(), WM_DIGIT_ROW, 0, 0, &n, sizeof n));
    QCoreApplication::processEvents();
}
// What the window shows of `w`: its part of the window's backing store as the paints so far
// left it (not painted afresh).
QImage Shown(QWidget* w)
{
    QWidget* top = w->window();
    const QPoint at = w->mapTo(top, QPoint(0, 0));
    return top->screen()->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
}
// The first line of pixels where two pictures differ; -1 when they are the same.
int FirstDifferentLine(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return y;
    return -1;
}
struct PaintedArea : QObject {
    qint64 pixels = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
                pixels += qint64(r.width()) * r.height();
        return false;
    }
};
void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
} // namespace

class TestAcqViews : public QObject {
    Q_OBJECT
private slots:
    void columnsFollowEnabledRun();
    void rowsNumberedFromOne();
    void modeAffectsOnlyNewRows();
    void rowModulus();
    void contextMenu();
    void statisticsRows();
    void columnsFitTheirNumbers();
    void liveRowsDuringRun();
    void readingsPaintOnlyTheNewRow();
    void rowsSelectedByMouseAndKeys();
    void frameRoutesWorkerNotices();
};

void TestAcqViews::columnsFollowEnabledRun()
{
    Rig rig;
    rig.doc->m_Param.Range[2] = 1;
    rig.doc->m_Param.Range[3] = 7;
    rig.doc->m_Param.Range[4] = 13;
    rig.SetRun(2, 3);
    CDigitRowModel* m = rig.digit->Rows();
    QCOMPARE(m->columnCount(), 4);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Index"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("AI2(mV)"));
    QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("AI3(mA)"));
    QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("AI4(℃)"));
}

void TestAcqViews::rowsNumberedFromOne()
{
    Rig rig;
    rig.SetRun(2, 3);
    CAIDigitView* v = rig.digit.get();
    PostRow(v, 1, Scan(100, 1.25f));
    PostRow(v, 2, Scan(200, -0.5f));
    CDigitRowModel* m = v->Rows();
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->CellText(0, 0), QStringLiteral("1"));
    QCOMPARE(m->CellText(1, 0), QStringLiteral("2"));
    // Voltage by default: "%.3f" of channel 2's value (2 added by Scan()).
    QCOMPARE(m->CellText(0, 1), QStringLiteral("3.250"));
    QCOMPARE(m->CellText(1, 3), QStringLiteral("3.500"));
    // Re-running the initial update empties the list.
    v->OnInitialUpdate();
    QCOMPARE(m->rowCount(), 0);
}

void TestAcqViews::modeAffectsOnlyNewRows()
{
    Rig rig;
    rig.SetRun(0, 2);
    CAIDigitView* v = rig.digit.get();
    v->OnCmdMsg(32813, nullptr);
    PostRow(v, 1, Scan(0xBEEF, 0));
    v->OnCmdMsg(32814, nullptr);
    PostRow(v, 2, Scan(0xBEEF, 0));
    v->OnCmdMsg(32815, nullptr);
    PostRow(v, 3, Scan(0xBEEF, 0.25f));
    CDigitRowModel* m = v->Rows();
    QCOMPARE(m->CellText(0, 1), QStringLiteral("48879"));
    QCOMPARE(m->CellText(1, 1), QStringLiteral("beef"));
    QCOMPARE(m->CellText(1, 2), QStringLiteral("bef0"));
    QCOMPARE(m->CellText(2, 1), QStringLiteral("0.250"));
    CCmdUI ui(32815);
    QVERIFY(v->OnCmdMsg(32815, &ui));
    QCOMPARE(ui.m_nCheck, 1);
    CCmdUI hex(32814);
    v->OnCmdMsg(32814, &hex);
    QCOMPARE(hex.m_nCheck, 0);
}

void TestAcqViews::rowModulus()
{
    Rig rig;
    rig.SetRun(0, 1);
    CAIDigitView* v = rig.digit.get();
    v->AppendReading(1048574, Scan(1, 0));
    v->AppendReading(1048575, Scan(2, 0));
    QCOMPARE(v->Rows()->rowCount(), 2);
    v->AppendReading(1048576, Scan(3, 0));   // clears the list, numbered 0
    QCOMPARE(v->Rows()->rowCount(), 1);
    QCOMPARE(v->Rows()->CellText(0, 0), QStringLiteral("0"));
    v->AppendReading(1048577, Scan(4, 0));
    QCOMPARE(v->Rows()->CellText(1, 0), QStringLiteral("1"));
}

void TestAcqViews::contextMenu()
{
    Rig rig;
    std::unique_ptr<QMenu> menu(rig.digit->BuildContextMenu(nullptr));
    QCOMPARE(menu->title(), QStringLiteral("显示(数字窗)"));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[0]->text(), QStringLiteral("十进制显示(原码)"));
    QCOMPARE(items[1]->text(), QStringLiteral("十六进制显示(原码)"));
    QCOMPARE(items[2]->text(), QStringLiteral("电压显示(伏)"));
    QVERIFY(items[3]->isSeparator());
    QCOMPARE(items[4]->text(), QStringLiteral("返回到采集"));
    QVERIFY(items[2]->isChecked() && !items[0]->isChecked());
    QVERIFY(!items[4]->isEnabled());   // no data file open
    items[1]->trigger();
    QCOMPARE(rig.digit->Mode(), DigitDisplayMode::Hex);
}

void TestAcqViews::statisticsRows()
{
    CAIDataVw detached;
    detached.OnInitialUpdate();
    detached.SetRowCount(3);   // not attached: nothing happens
    QCOMPARE(detached.rowCount(), 0);

    Rig rig;
    CAIDataVw* d = rig.data.get();
    QCOMPARE(d->columnCount(), 6);
    const QStringList heads{"通道", "最大值", "中间值", "最小值", "幅值", "平均值"};
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(d->horizontalHeaderItem(c)->text(), heads[c]);
        QCOMPARE(d->columnWidth(c), c == 0 ? 40 : 70);
    }
    QVERIFY(d->horizontalHeaderItem(1)->textAlignment() & Qt::AlignRight);
    QVERIFY(d->showGrid());
    QVERIFY(d->horizontalHeader()->sectionsMovable());
    QCOMPARE(d->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, d), 1);
    rig.SetRun(3, 3);
    QCOMPARE(d->rowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(d->item(r, 0)->text(), QString::number(r));
        for (int c = 1; c < 6; ++c)
            QVERIFY(d->item(r, c)->text().isEmpty());
    }
    // One click on a row activates it.
    d->resize(420, 200);
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QSignalSpy activated(d, &QAbstractItemView::activated);
    QTest::mouseClick(d->viewport(), Qt::LeftButton, {}, d->visualRect(d->model()->index(1, 0)).center());
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.first().first().value<QModelIndex>().row(), 1);
    rig.SetRun(0, 0);
    QCOMPARE(d->rowCount(), 0);
}

void TestAcqViews::columnsFitTheirNumbers()
{
    // K thermocouple (up to "1300.000"), -10..10 V ("-10.000"); every number of a column,
    // measured with the list's font, fits inside it in every mode.
    Rig rig;
    rig.doc->m_Param.Range[2] = 10;
    rig.doc->m_Param.Range[3] = 6;
    rig.SetRun(2, 2);
    CAIDigitView* v = rig.digit.get();
    const QFontMetrics fm = v->fontMetrics();
    auto fits = [&](int column, const QString& text) { return v->columnWidth(column) >= fm.horizontalAdvance(text) + 4; };
    QVERIFY(fits(0, "1048575"));
    QVERIFY(fits(1, "1300.000"));
    QVERIFY(fits(2, "-10.000"));
    QVERIFY(v->columnWidth(2) >= 60);
    v->OnCmdMsg(32813, nullptr);
    QVERIFY(fits(1, "65535") && fits(2, "65535"));
    PostRow(v, 1, Scan(0xFFFF, 0));
    v->OnCmdMsg(32814, nullptr);
    // The earlier decimal row stays readable after the switch to hexadecimal.
    QVERIFY(fits(1, "65535") && fits(1, "ffff"));
    v->OnInitialUpdate();   // rows gone: the hexadecimal width is all that is needed
    QVERIFY(v->columnWidth(1) >= 60 && fits(1, "ffff"));
    QVERIFY(v->columnWidth(1) < fm.horizontalAdvance("1300.000") + 60);
}

void TestAcqViews::liveRowsDuringRun()
{
    Rig rig;
    rig.SetRun(1, 2);
    rig.digit->OnCmdMsg(32813, nullptr);
    MDQ4170SIM_FailReadAfter(0, 25, 0);
    rig.doc->OnStartAcquisition();
    QVERIFY(rig.WaitIdle());
    CDigitRowModel* m = rig.digit->Rows();
    QCOMPARE(m->rowCount(), 25);
    for (int r = 0; r < 25; ++r)
        QCOMPARE(m->CellText(r, 0), QString::number(r + 1));
    QCOMPARE(m->CellText(24, 2), QString::number(rig.doc->m_ScanCopy.Channel[2].Code));
}

// A reading scrolls the list's picture and paints the new row (and the scroll bar's slider)
// only. After every kind of step the window shows what the same table painted whole shows,
// and the cells look as the standard item delegate draws them.
void TestAcqViews::readingsPaintOnlyTheNewRow()
{
    Rig rig;
    rig.SetRun(0, 8);
    CAIDigitView* v = rig.digit.get();
    v->resize(640, 230);
    v->show();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    PaintedArea painted;
    v->viewport()->installEventFilter(&painted);
    uint64_t count = 0;
    auto post = [&](int n) {
        for (int i = 0; i < n; ++i, ++count)
            PostRow(v, count + 1, Scan(uint16_t(37 * count), float(count) * 0.37f - 3.0f));
        Settle();
    };
    auto repaint = [v] {   // every part of the view painted afresh
        for (QWidget* w : {v->viewport(), static_cast<QWidget*>(v->verticalScrollBar()), static_cast<QWidget*>(v)})
            w->repaint();
    };
    auto matches = [&](const char* step) {
        Settle();
        const QImage shown = Shown(v);
        repaint();
        const QImage whole = Shown(v);
        QAbstractItemDelegate* own = v->itemDelegate();
        QStyledItemDelegate standard;
        v->setItemDelegate(&standard);
        repaint();
        const QImage plain = Shown(v);
        v->setItemDelegate(own);
        Settle();
        const int stale = FirstDifferentLine(shown, whole);
        const int look = FirstDifferentLine(whole, plain);
        if (stale >= 0 || look >= 0)
            qWarning("%s: painted by readings differs from whole at line %d, whole from standard cells at line %d",
                     step, stale, look);
        return stale < 0 && look < 0;
    };

    post(4);   // rows below the last one are still empty
    QVERIFY(matches("first rows"));
    post(14);  // the rows scroll
    painted.pixels = 0;
    post(1);
    const qint64 port = qint64(v->viewport()->width()) * v->viewport()->height();
    QVERIFY2(painted.pixels > 0 && painted.pixels < port / 4, qPrintable(QString::number(painted.pixels)));
    QVERIFY(matches("scrolled"));
    for (int i = 0; i < 7; ++i, ++count)   // readings arriving before the view paints
        v->AppendReading(count + 1, Scan(uint16_t(count), float(count)));
    QVERIFY(matches("several readings at once"));
    v->OnCmdMsg(32814, nullptr);   // hexadecimal: the columns widen
    post(3);
    QVERIFY(matches("hexadecimal"));
    v->OnCmdMsg(32813, nullptr);
    post(2);
    QVERIFY(matches("decimal"));
    v->SelectRow(v->Rows()->rowCount() - 3);
    post(3);
    QVERIFY(matches("selected row"));
    v->SetTimeColumn(true);
    post(3);
    QVERIFY(matches("time column"));
    // An operator who scrolled up to older rows is taken back to the newest by the next reading.
    v->verticalScrollBar()->setValue(0);
    Settle();
    post(1);
    QCOMPARE(v->verticalScrollBar()->value(), v->verticalScrollBar()->maximum());
    QVERIFY(v->verticalScrollBar()->maximum() > 0);
    QVERIFY(matches("after scrolling up"));
    // The wrap at the modulus starts the list again.
    count = CAIDigitView::kRowModulus - 2;
    post(2);
    QCOMPARE(v->Rows()->rowCount(), 1);
    QVERIFY(matches("wrapped"));
    post(12);
    QVERIFY(matches("after the wrap"));
}

// The operator picks a row with the mouse, moves through the list with the keys and copies
// the row; readings keep the selection on its row and the wrap clears it.
void TestAcqViews::rowsSelectedByMouseAndKeys()
{
    Rig rig;
    rig.SetRun(0, 8);
    CAIDigitView* v = rig.digit.get();
    v->resize(640, 230);
    v->show();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    for (uint64_t i = 1; i <= 40; ++i)
        v->AppendReading(i, Scan(uint16_t(i), float(i)));
    Settle();
    const int h = v->RowHeight();
    const int last = v->Rows()->rowCount() - 1;
    QCOMPARE(v->RowViewportPosition(last) + h, v->viewport()->height());   // the newest row at the bottom
    const int y = v->RowViewportPosition(last - 2) + h / 2;
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(v->columnWidth(0) + 5, y));
    QCOMPARE(v->SelectedRow(), last - 2);
    QCOMPARE(v->CurrentColumn(), 1);
    QVERIFY(v->hasFocus());
    QTest::keyClick(v, Qt::Key_Up);
    QCOMPARE(v->SelectedRow(), last - 3);
    const int page = v->viewport()->height() / h;
    QTest::keyClick(v, Qt::Key_PageUp);
    QCOMPARE(v->SelectedRow(), last - 3 - page);
    QVERIFY(v->RowViewportPosition(v->SelectedRow()) >= 0);   // scrolled into view
    QTest::keyClick(v, Qt::Key_Home);
    QCOMPARE(v->SelectedRow(), 0);
    QCOMPARE(v->verticalScrollBar()->value(), 0);
    QTest::keyClick(v, Qt::Key_Down);
    QTest::keyClick(v, Qt::Key_C, Qt::ControlModifier);
    QStringList cells;
    for (int c = 0; c < v->Rows()->columnCount(); ++c)
        cells << v->Rows()->CellText(1, c);
    QCOMPARE(QGuiApplication::clipboard()->text(), cells.join('\t'));
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("2\t")));
    // A reading leaves the selection on its row; the wrap clears it, and below the last
    // row there is nothing to select.
    v->AppendReading(41, Scan(41, 41.0f));
    Settle();
    QCOMPARE(v->SelectedRow(), 1);
    QCOMPARE(v->Rows()->CellText(v->SelectedRow(), 0), QStringLiteral("2"));
    v->AppendReading(CAIDigitView::kRowModulus, Scan(1, 1.0f));   // the wrap
    Settle();
    QCOMPARE(v->SelectedRow(), -1);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(5, v->viewport()->height() - 2));
    QCOMPARE(v->SelectedRow(), -1);
}

// In the AI window the worker's notices reach the panes the frame registered: readings the
// digit view, the sweep the waveform, the cold-junction reading the panel, the counts the
// status information bar; the panel is locked for the run by the document's hint.
void TestAcqViews::frameRoutesWorkerNotices()
{
    MDQ4170SIM_Reset();
    QStringList messages;
    SetMessageHandler([&](const MsgRequest& r) {
        messages << r.text;
        return int(IDOK);
    });
    const MDQ4170_HANDLE device = MDQ4170_DEV_Create(0, 0);
    auto* doc = new CAIDoc;
    doc->m_hDevice = device;
    {
        CAIFrm frame(doc);   // owns the document
        QVERIFY(frame.Create());
        frame.resize(1200, 800);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.InitialUpdateFrame();
        QWidget* box0 = frame.GetParamView()->findChild<QWidget*>(QStringLiteral("1327"));
        doc->m_fReadInterval = 0.0f;
        MDQ4170SIM_FailReadAfter(0, 5, 0);
        doc->OnStartAcquisition();
        QVERIFY(!box0->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return doc->WorkerIdle(); }, 20000));
        QTest::qWait(20);
        QCOMPARE(messages, QStringList{QStringLiteral("读取采样数据失败，请查看日志文件MDQ4170.log中的具体信息")});
        QCOMPARE(frame.GetDigitView()->Rows()->rowCount(), 5);
        QVERIFY(frame.GetCurveView()->GetPointCount(0) > 0);
        QVERIFY(!frame.GetParamView()->findChild<QLineEdit*>(QStringLiteral("1336"))->text().isEmpty());
        QCOMPARE(frame.StatusField(1287), QStringLiteral("5"));
        QVERIFY(box0->isEnabled());
    }
    MDQ4170_DEV_Release(device);
    SetMessageHandler({});
}

QTEST_MAIN(TestAcqViews)
#include "tst_acq_views.moc"
