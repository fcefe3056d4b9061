// Interaction and data flow of the waveform views: cursors, panning, keys, wheel,
// selection and enlargement, live updates, history scrolling and wide windows.
#include "tst_curve_rig.h"
#include "tst_hist_writer.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace curvetest;
using namespace nuv;

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  mods);
    QApplication::sendEvent(w, &e);
}

void Wheel(QWidget* w, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const QPoint at(300, 300);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TstCurveView : public QObject {
    Q_OBJECT
private slots:
    void layoutResetsCursorsAndPublishesIndices();
    void pressPicksTheDragMode();
    void cursorDragStaysInThePlot();
    void ctrlPairDrag();
    void panning();
    void keysAndWheel();
    void scrollBarRequests();
    void selectEnlargeReturn();
    void liveUpdateAndWrap();
    void historyScrollReloadsAndFollows();
    void historyOverlayIgnoresDoubleClicks();
    void historyContextMenuOnlyWithFile();
    void wideWindowIsServedFromFixedBuffers();
    void historyWheelLoadsBeforeItDraws();
};

void TstCurveView::layoutResetsCursorsAndPublishesIndices()
{
    LiveRig rig;
    QCOMPARE(rig.view->GetLayout().plotWidth, 790);
    QCOMPARE(rig.doc->m_nPlotWidth, 790);
    QCOMPARE(rig.view->GetCursorX(0), 80);
    QCOMPARE(rig.view->GetCursorX(1), 830);
    rig.view->PublishCursorIndices();
    QCOMPARE(rig.doc->m_nCursorIndex[0], 20);
    QCOMPARE(rig.doc->m_nCursorIndex[1], 770);
    rig.doc->m_nScrollPos = 37;
    rig.view->ScrollToPosition(37, true);
    rig.view->PublishCursorIndices();
    QCOMPARE(rig.doc->m_nCursorIndex[0], 57);
    QCOMPARE(rig.view->horizontalScrollBar()->value(), 37);
    QCOMPARE(rig.view->horizontalScrollBar()->maximum(), 950);
}

void TstCurveView::pressPicksTheDragMode()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    rig.view->SetCursorX(1, 300);
    Mouse(vp, QEvent::MouseButtonPress, QPoint(84, 200));
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragCursor1));
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(84, 200));
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragNone));
    Mouse(vp, QEvent::MouseButtonPress, QPoint(85, 200));
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragPan));
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(85, 200));
    rig.view->SetCursorX(1, 86);
    Mouse(vp, QEvent::MouseButtonPress, QPoint(83, 200));
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragCursor2));
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(83, 200));
    // outside the plot nothing is dragged
    Mouse(vp, QEvent::MouseButtonPress, QPoint(30, 200));
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragNone));
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(30, 200));
}

void TstCurveView::cursorDragStaysInThePlot()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    Mouse(vp, QEvent::MouseButtonPress, QPoint(80, 200));
    Mouse(vp, QEvent::MouseMove, QPoint(150, 200));
    QCOMPARE(rig.view->GetCursorX(0), 150);
    QCOMPARE(rig.doc->m_nCursorIndex[0], 90);
    Mouse(vp, QEvent::MouseMove, QPoint(3, 200));
    QCOMPARE(rig.view->GetCursorX(0), 60);
    Mouse(vp, QEvent::MouseMove, QPoint(2000, 200));
    QCOMPARE(rig.view->GetCursorX(0), 849);
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(2000, 200));
    // after the release moves leave the cursor alone
    Mouse(vp, QEvent::MouseMove, QPoint(500, 200));
    QCOMPARE(rig.view->GetCursorX(0), 849);
}

void TstCurveView::ctrlPairDrag()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    rig.view->SetCursorX(1, 300);
    Mouse(vp, QEvent::MouseButtonPress, QPoint(200, 200), Qt::ControlModifier);
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragBoth));
    QCOMPARE(rig.view->GetPointerShape(), int(curve::kShapeMoveAll));
    Mouse(vp, QEvent::MouseMove, QPoint(230, 200), Qt::ControlModifier);
    QCOMPARE(rig.view->GetCursorX(0), 110);
    QCOMPARE(rig.view->GetCursorX(1), 330);
    // the pair keeps its distance at the plot's edge
    Mouse(vp, QEvent::MouseMove, QPoint(5000, 200), Qt::ControlModifier);
    QCOMPARE(rig.view->GetCursorX(1), 849);
    QCOMPARE(rig.view->GetCursorX(0), 849 - 220);
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(5000, 200));
    QCOMPARE(rig.view->GetPointerShape(), int(curve::kShapeArrow));

    // Ctrl outside the pair drags nothing
    Mouse(vp, QEvent::MouseButtonPress, QPoint(70, 200), Qt::ControlModifier);
    QCOMPARE(rig.view->GetDragMode(), int(curve::kDragNone));
    Mouse(vp, QEvent::MouseMove, QPoint(75, 200), Qt::ControlModifier);
    QCOMPARE(rig.view->GetCursorX(0), 629);
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(75, 200));
}

void TstCurveView::panning()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    rig.doc->m_nScrollPos = 3;
    rig.view->ScrollToPosition(3, true);
    Mouse(vp, QEvent::MouseMove, QPoint(400, 200));
    Mouse(vp, QEvent::MouseButtonPress, QPoint(400, 200));
    Mouse(vp, QEvent::MouseMove, QPoint(410, 200));
    QCOMPARE(rig.doc->m_nScrollPos, 0);
    Mouse(vp, QEvent::MouseMove, QPoint(300, 200));
    QCOMPARE(rig.doc->m_nScrollPos, 110);
    QCOMPARE(rig.view->horizontalScrollBar()->value(), 110);
    Mouse(vp, QEvent::MouseButtonRelease, QPoint(300, 200));
    // the trace follows: the first point sits left of the plot by the position
    QCOMPARE(rig.view->GetPoints(0)[0].x(), 60 - 110);
}

void TstCurveView::keysAndWheel()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    QTest::keyClick(rig.view.get(), Qt::Key_End);
    QCOMPARE(rig.doc->m_nScrollPos, 800);
    QTest::keyClick(rig.view.get(), Qt::Key_Right);
    QCOMPARE(rig.doc->m_nScrollPos, 800);
    Wheel(vp, -120);
    QCOMPARE(rig.doc->m_nScrollPos, 800);
    QTest::keyClick(rig.view.get(), Qt::Key_Left);
    QCOMPARE(rig.doc->m_nScrollPos, 799);
    QTest::keyClick(rig.view.get(), Qt::Key_Home);
    QCOMPARE(rig.doc->m_nScrollPos, 0);
    QCOMPARE(rig.view->horizontalScrollBar()->value(), 0);
    QTest::keyClick(rig.view.get(), Qt::Key_PageDown);
    QCOMPARE(rig.doc->m_nScrollPos, 790);
    QTest::keyClick(rig.view.get(), Qt::Key_PageUp);
    QCOMPARE(rig.doc->m_nScrollPos, 0);

    Wheel(vp, -120);
    QCOMPARE(rig.doc->m_nScrollPos, 40);
    Wheel(vp, -240);
    QCOMPARE(rig.doc->m_nScrollPos, 120);
    Wheel(vp, 120);
    QCOMPARE(rig.doc->m_nScrollPos, 80);
    Wheel(vp, 120, Qt::ControlModifier);
    QCOMPARE(rig.doc->m_nScrollPos, 80);
    // fractions of a notch add up
    Wheel(vp, -60);
    QCOMPARE(rig.doc->m_nScrollPos, 80);
    Wheel(vp, -60);
    QCOMPARE(rig.doc->m_nScrollPos, 120);
}

void TstCurveView::scrollBarRequests()
{
    LiveRig rig;
    QScrollBar* bar = rig.view->horizontalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(rig.doc->m_nScrollPos, 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(rig.doc->m_nScrollPos, 0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(rig.doc->m_nScrollPos, 790);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(rig.doc->m_nScrollPos, 800);   // the maximum bounds the move, not the bar
    QCOMPARE(bar->value(), 800);
    bar->setSliderPosition(930);   // thumb track: taken as reported
    QCOMPARE(rig.doc->m_nScrollPos, 930);
}

void TstCurveView::selectEnlargeReturn()
{
    LiveRig rig;
    QWidget* vp = rig.view->viewport();
    const int y2 = int(rig.view->GetStripGeom(2).centre);
    auto dbl = [&](int y) {
        QMouseEvent e(QEvent::MouseButtonDblClick, QPoint(300, y), vp->mapToGlobal(QPoint(300, y)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    };
    dbl(y2);
    QCOMPARE(rig.doc->m_nSelChannel, 2);
    QVERIFY(rig.view->IsAllStrips());
    dbl(y2 + 5);
    QVERIFY(!rig.view->IsAllStrips());
    QVERIFY(rig.view->IsFullRedrawPending());
    dbl(550);
    QVERIFY(rig.view->IsAllStrips());
    QCOMPARE(rig.doc->m_nSelChannel, 2);
    // outside the plot: nothing
    dbl(620);
    QVERIFY(rig.view->IsAllStrips());
}

void TstCurveView::liveUpdateAndWrap()
{
    LiveRig rig(860, 630, 2, 3, 0);
    QCOMPARE(rig.view->GetPointCount(2), 0);
    QCOMPARE(rig.doc->m_hCurveWnd.load(), rig.view->GetSafeHwnd());
    rig.doc->m_nSweepPos.store(120, std::memory_order_release);
    QVERIFY(PostMessage(rig.doc->m_hCurveWnd.load(), WM_CURVE_UPDATE));
    QCoreApplication::sendPostedEvents(rig.view.get());
    QCOMPARE(rig.view->GetPointCount(2), 120);
    QCOMPARE(rig.view->GetPointCount(4), 120);
    QCOMPARE(rig.view->GetPointCount(1), 0);   // outside the enabled run
    QCOMPARE(rig.view->GetPointCount(5), 0);
    QCOMPARE(rig.doc->m_nVisibleCount.load(), 791);
    // the sweep wraps: no points, then the next sample starts at the left edge again
    rig.doc->m_nSweepPos.store(0, std::memory_order_release);
    PostMessage(rig.doc->m_hCurveWnd.load(), WM_CURVE_UPDATE);
    QCoreApplication::sendPostedEvents(rig.view.get());
    QCOMPARE(rig.view->GetPointCount(2), 0);
    rig.doc->m_nScrollPos = 5;
    rig.doc->m_nSweepPos.store(1, std::memory_order_release);
    PostMessage(rig.doc->m_hCurveWnd.load(), WM_CURVE_UPDATE);
    QCoreApplication::sendPostedEvents(rig.view.get());
    QCOMPARE(rig.view->GetPointCount(2), 1);
    QCOMPARE(rig.view->GetPoints(2)[0].x(), 60 - 5);
}

void TstCurveView::historyScrollReloadsAndFollows()
{
    HistRig rig(3);
    const int seen = rig.view->GetLayout().plotWidth + 1;
    QCOMPARE(rig.view->GetVisibleCount(), seen);
    QCOMPARE(rig.doc->m_nWindowLength, uint32_t(seen));
    QCOMPARE(rig.view->GetPointCount(0), seen);
    QCOMPARE(rig.view->GetPointCount(3), 0);
    QCOMPARE(rig.view->GetPoints(0)[0].x(), rig.view->GetLayout().plot.left);
    // End: the last screenful, its last reading on the plot's rightmost column
    const curve::Layout& lay = rig.view->GetLayout();
    QTest::keyClick(rig.view.get(), Qt::Key_End);
    QCOMPARE(rig.doc->m_nPosition, 100000 - lay.plotWidth);
    QCOMPARE(rig.view->GetVisibleCount(), lay.plotWidth);
    QCOMPARE(rig.doc->m_nWindowLength, uint32_t(lay.plotWidth));
    QCOMPARE(rig.view->GetPoints(1)[lay.plotWidth - 1].x(), lay.plot.right - 1);
    QTest::keyClick(rig.view.get(), Qt::Key_Home);
    QCOMPARE(rig.doc->m_nPosition, 0);
    rig.doc->m_nPosition = 99700;
    rig.view->ScrollToPosition(99700, true);
    QCOMPARE(rig.view->GetVisibleCount(), 300);
    QCOMPARE(rig.view->GetPointCount(1), 300);
    QCOMPARE(rig.view->horizontalScrollBar()->value(), 99700);
    rig.view->PublishCursorIndices();
    QCOMPARE(rig.doc->m_nCursorScan[0], 99720);
    // history geometry: 3 strips, centred rule one pixel lower when enlarged
    QCOMPARE(rig.view->GetLayout().stripHeight, 200.0);
    QCOMPARE(rig.view->GetInnerHeight(), 192);
}

void TstCurveView::historyOverlayIgnoresDoubleClicks()
{
    HistRig rig(3);
    rig.doc->m_bTile = 0;
    rig.view->ApplyDisplayMode();
    const curve::StripGeom before = rig.view->GetStripGeom(1);
    QWidget* vp = rig.view->viewport();
    QMouseEvent e(QEvent::MouseButtonDblClick, QPoint(300, int(before.centre)), vp->mapToGlobal(QPoint(300, 300)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
    QCOMPARE(rig.doc->m_nSelSlot, 0);
    QVERIFY(rig.view->IsAllStrips());
    // overlay keeps the strips' last geometry through a size change
    SizeViewport(*rig.view, 900, 400);
    QCOMPARE(rig.view->GetStripGeom(1).centre, before.centre);
    QVERIFY(rig.view->GetPointCount(1) > 0);
}

void TstCurveView::historyContextMenuOnlyWithFile()
{
    HistRig rig(2);
    QMenu menu;
    QVERIFY(rig.view->BuildContextMenu(menu));
    QCOMPARE(menu.title(), QString::fromUtf8("显示(波形窗)"));
    QCOMPARE(menu.actions().size(), 4);   // then a separator, "双光标测量", "统计整个文件"
    QCOMPARE(menu.actions()[0]->text(), QString::fromUtf8("返回到采集"));
    QVERIFY(!menu.actions()[0]->isEnabled());   // no router offers it in a history window
    QCOMPARE(menu.actions()[2]->data().toInt(), 32881);
    QCOMPARE(menu.actions()[3]->data().toInt(), 32882);
    rig.doc->m_bOpen = 0;
    QMenu none;
    QVERIFY(!rig.view->BuildContextMenu(none));
}

void TstCurveView::wideWindowIsServedFromFixedBuffers()
{
    HistRig rig(2, 8262, 300);   // plot 8192 wide
    QCOMPARE(rig.view->GetLayout().plotWidth, 8192);
    QCOMPARE(rig.view->GetVisibleCount(), 8193);
    QCOMPARE(rig.view->GetPointCount(1), 8193);
    QCOMPARE(rig.view->GetPoints(1)[8192].x(), 60 + 8192);
    SizeViewport(*rig.view, 9000, 300);
    QCOMPARE(rig.view->GetVisibleCount(), curve::kPointCapacity);
    QVERIFY(!Render(rig.view->viewport()).isNull());
}

void TstCurveView::historyWheelLoadsBeforeItDraws()
{
    // one channel whose level flips every 40 readings: a trace drawn from the window of
    // the previous wheel step is upside down
    QTemporaryDir dir;
    histtest::Spec spec;
    spec.first = 0;
    spec.count = 1;
    spec.readings = 4000;
    QByteArray bytes = histtest::Header(spec);
    for (int r = 0; r < 4000; ++r) {
        uint8_t code[2];
        histtest::le16(code, (r / 40) % 2 ? 60000 : 5000);
        bytes.append(reinterpret_cast<const char*>(code), 2);
    }
    const QString path = dir.filePath(QStringLiteral("flip.bin"));
    QVERIFY(histtest::Write(path, bytes));
    HistRig rig(1);
    QVERIFY(rig.doc->OpenFile(path));
    auto rowOf = [&](uint16_t code) {
        int y = 0;
        const RangeInfo r = Range(6);
        curve::StripY(curve::ScaleFromRange(6, r), rig.view->GetStripGeom(0), rig.view->GetInnerHeight(), code, &y);
        return y;
    };
    QCOMPARE(rig.view->GetPoints(0)[0].y(), rowOf(5000));
    QWidget* vp = rig.view->viewport();
    for (int step = 1; step <= 3; ++step) {
        Wheel(vp, -120);
        QCOMPARE(rig.doc->m_nPosition, 40 * step);
        QCOMPARE(rig.view->horizontalScrollBar()->value(), 40 * step);
        QCOMPARE(rig.view->GetPoints(0)[0].y(), rowOf(step % 2 ? 60000 : 5000));
        QCOMPARE(rig.view->GetPoints(0)[39].y(), rowOf(step % 2 ? 60000 : 5000));
        QCOMPARE(rig.view->GetPoints(0)[40].y(), rowOf(step % 2 ? 5000 : 60000));
    }
    Wheel(vp, 120);
    QCOMPARE(rig.view->GetPoints(0)[0].y(), rowOf(5000));
}

QTEST_MAIN(TstCurveView)
#include "tst_curve_view.moc"
