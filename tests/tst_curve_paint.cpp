// Painting of the waveform views, checked on rendered images.
#include "tst_curve_rig.h"

#include <QDir>
#include <QMouseEvent>
#include <QPainter>

using namespace curvetest;
using namespace nuv;

namespace {

void Save(const QImage& img, const char* name)
{
    const QByteArray dir = qgetenv("NUV_CURVE_PNG_DIR");
    if (!dir.isEmpty())
        img.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

bool Lit(QRgb c) { return qRed(c) > 40 || qGreen(c) > 40 || qBlue(c) > 40; }

// Rows in [y0, y1) with a lit pixel in columns [x0, x1): first and last, -1 when none.
QPair<int, int> LitRows(const QImage& img, int x0, int x1, int y0, int y1)
{
    int first = -1, last = -1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Lit(img.pixel(x, y))) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

void DoubleClick(QWidget* w, QPoint at)
{
    QMouseEvent e(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TstCurvePaint : public QObject {
    Q_OBJECT
private slots:
    void traceOverGridDotShowsOr();
    void startMarkerOnlyAtPositionZero();
    void indexLabelsFollowThePosition();
    void narrowStripsShowOnlyTheName();
    void disabledChannelKeepsLabelsWithoutTrace();
    void tracesStayInTheirBands();
    void cursorsByXor();
    void enlargedChannelFillsThePlot();
    void sizeEventRedrawsBackground();
    void labelsWhole();
};

void TstCurvePaint::traceOverGridDotShowsOr()
{
    LiveRig rig(860, 630, 0, 1);
    rig.doc->m_nSelChannel = 3;   // no band under strip 0
    // a level code whose row is a dotted row of the first vertical grid line (top + 35)
    int code = -1;
    for (int c = 0; c < 65536 && code < 0; ++c) {
        int y;
        if (curve::StripY(curve::ScaleFromRange(5, Range(5)), rig.view->GetStripGeom(0), rig.view->GetInnerHeight(),
                          uint16_t(c), &y) && y == 45)
            code = c;
    }
    QVERIFY(code >= 0);
    for (int j = 0; j < 800; ++j)
        rig.doc->m_CodeRing[0][j] = uint16_t(code);
    rig.view->RedrawAll();
    const QImage img = rig.Image();
    QCOMPARE(img.pixel(110, 45), qRgb(16 | 80, 255, 0 | 80));
    QCOMPARE(img.pixel(112, 45), qRgb(16, 255, 0));
    QCOMPARE(img.pixel(110, 50), qRgb(80, 80, 80));
}

void TstCurvePaint::startMarkerOnlyAtPositionZero()
{
    LiveRig rig;
    auto markerPixels = [&](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < 80; ++x)
                n += img.pixel(x, y) == qRgb(196, 128, 0);
        return n;
    };
    QImage img = rig.Image();
    QVERIFY(markerPixels(img) > 50);
    QCOMPARE(img.pixel(60, 20), qRgb(196, 128, 0));   // the dash-dot-dot line starts at top + 10
    rig.doc->m_nScrollPos = 37;
    rig.view->ScrollToPosition(37, true);
    img = rig.Image();
    QCOMPARE(markerPixels(img), 0);
}

void TstCurvePaint::indexLabelsFollowThePosition()
{
    LiveRig rig;
    rig.doc->m_nScrollPos = 37;
    rig.view->ScrollToPosition(37, true);
    const QImage img = rig.Image();
    const int bottom = rig.view->GetLayout().plot.bottom;
    int firstX = -1;
    for (int x = 65; x < 105 && firstX < 0; ++x)
        for (int y = bottom + 5; y < bottom + 20; ++y)
            if (Lit(img.pixel(x, y))) {
                firstX = x;
                break;
            }
    // "50" drawn at plot left + 13; the glyph starts at most two pixels further right
    QVERIFY2(firstX >= 73 && firstX <= 75, qPrintable(QString::number(firstX)));
}

void TstCurvePaint::narrowStripsShowOnlyTheName()
{
    // 25 px strips: one line of text per strip; 26 px strips: the scale labels too
    LiveRig narrow(860, 230);
    QCOMPARE(narrow.view->GetLayout().stripHeight, 25.0);
    QImage img = narrow.Image();
    auto rows = LitRows(img, 0, 55, 10 + 25 + 3, 10 + 50 - 2);
    QVERIFY(rows.first >= 0);
    QVERIFY2(rows.second - rows.first < 15, qPrintable(QString("%1..%2").arg(rows.first).arg(rows.second)));

    // 26 px strips: the scale labels too, where they clear the next strip's name (the
    // last strip has none below it)
    LiveRig wider(860, 238);
    img = wider.Image();
    rows = LitRows(img, 0, 55, 10 + 7 * 26 + 3, 10 + 8 * 26 + 4);
    QVERIFY(rows.second - rows.first >= 15);
}

void TstCurvePaint::disabledChannelKeepsLabelsWithoutTrace()
{
    LiveRig rig(860, 630, 0, 4);
    const QImage img = rig.Image();
    const curve::StripGeom g = rig.view->GetStripGeom(6);
    const int inner = rig.view->GetInnerHeight();
    const auto rows = LitRows(img, 0, 56, int(g.centre) - inner / 2, int(g.centre) + inner / 2);
    QVERIFY(rows.first >= 0);   // labels of strip 6
    QCOMPARE(rig.view->GetPointCount(6), 0);
    for (int y = int(g.centre) - inner / 2; y < int(g.centre) + inner / 2; ++y)
        for (int x = 62; x < 820; ++x) {
            const QRgb c = img.pixel(x, y);
            if (x == 80)
                continue;   // cursor 1
            QVERIFY2(c == qRgb(0, 0, 0) || c == qRgb(80, 80, 80), qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
    // an enabled strip has its trace
    QVERIFY(rig.view->GetPointCount(3) == 799);
}

void TstCurvePaint::tracesStayInTheirBands()
{
    LiveRig rig(860, 630, 0, 1);
    rig.doc->m_nSelChannel = 5;
    RangeInfo narrow = Range(5);
    narrow.RangeSpan = 2.0;   // every code far outside the band
    rig.view->SetChannelRange(0, 5, narrow);
    const QImage img = rig.Image();
    const curve::StripGeom g = rig.view->GetStripGeom(0);
    const int half = rig.view->GetInnerHeight() / 2;
    int inBand = 0;
    for (int y = 10; y < 610; ++y)
        for (int x = 62; x < 840; ++x) {
            const QRgb c = img.pixel(x, y);
            if (qGreen(c) == 255 && qRed(c) < 100) {
                QVERIFY2(y >= int(g.centre) - half - 2 && y < int(g.centre) + half + 2, qPrintable(QString::number(y)));
                ++inBand;
            }
        }
    QVERIFY(inBand > 0);
}

void TstCurvePaint::cursorsByXor()
{
    // Channel 0 zigzags between its lowest and highest code, so its trace crosses the
    // column of cursor 1 (plot left + 20) over many rows.
    LiveRig live(860, 630, 0, 1);
    live.doc->m_nSelChannel = 7;
    for (int j = 0; j < 800; ++j)
        live.doc->m_CodeRing[0][j] = j % 2 ? 0 : 65535;
    live.view->RedrawAll();
    const int x1 = live.view->GetCursorX(0), x2 = live.view->GetCursorX(1);
    QCOMPARE(x1, live.view->GetLayout().plot.left + 20);
    QCOMPARE(x2, 830);
    // the picture without cursor lines
    live.view->SetCursorX(0, -50);
    live.view->SetCursorX(1, -50);
    const QImage bare = live.Image();
    live.view->SetCursorX(0, x1);
    live.view->SetCursorX(1, x2);
    const QImage img = live.Image();

    const QRgb trace = qRgb(16, 255, 0), xored = qRgb(16 ^ 255, 255, 0);
    int crossed = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb under = bare.pixel(x1, y), c = img.pixel(x1, y);
        if (under == trace) {
            QVERIFY2(c == trace || c == xored, qPrintable(QString::number(y)));
            crossed += c == xored;
        }
    }
    QVERIFY(crossed > 5);   // a dotted line, XORed into the trace

    // The same lines drawn once more take the picture back to the one without them.
    CurveScene scene;
    scene.layout = live.view->GetLayout();
    scene.cursorX[0] = x1;
    scene.cursorX[1] = x2;
    QImage again = img;
    {
        QPainter p(&again);
        CCurvePainter::DrawCursors(p, scene);
    }
    QCOMPARE(again, bare);

    // playback shows cursor 1 only
    HistRig hist(3, 860, 630);
    const QImage himg = hist.Image();
    int red = 0, white2 = 0;
    for (int y = 300; y < 400; ++y) {
        red += himg.pixel(hist.view->GetCursorX(0), y) == qRgb(255, 0, 0);
        white2 += himg.pixel(hist.view->GetCursorX(1), y) == qRgb(255, 255, 255);
    }
    QVERIFY(red > 20);
    QCOMPARE(white2, 0);
}

void TstCurvePaint::enlargedChannelFillsThePlot()
{
    LiveRig rig(860, 630, 0, 8);
    const int y = int(rig.view->GetStripGeom(0).centre);
    DoubleClick(rig.view->viewport(), QPoint(300, y));   // strip 0 is the selected one
    QVERIFY(!rig.view->IsAllStrips());
    const QImage img = rig.Image();
    int lowest = 0, other = 0;
    for (int yy = 10; yy < 610; ++yy)
        for (int x = 62; x < 840; ++x) {
            const QRgb c = img.pixel(x, yy);
            if (qGreen(c) == 255 && qRed(c) < 100)
                lowest = std::max(lowest, yy);
            if (c == qRgb(255, 255, 16))
                ++other;   // channel 1 is not drawn
        }
    QVERIFY(lowest > 400);
    QCOMPARE(other, 0);
    Save(img, "live_enlarged.png");
}

void TstCurvePaint::sizeEventRedrawsBackground()
{
    LiveRig rig;
    rig.Image();
    QVERIFY(!rig.view->IsFullRedrawPending());
    rig.doc->m_nSelChannel = 4;   // the band moves only with a background redraw
    rig.view->viewport()->update();
    QImage img = rig.Image();
    const int y4 = int(rig.view->GetStripGeom(4).centre) + 10;
    QCOMPARE(img.pixel(300, y4), qRgb(0, 0, 0));
    SizeViewport(*rig.view, 870, 630);
    QVERIFY(rig.view->IsFullRedrawPending());
    img = rig.Image();
    QCOMPARE(img.pixel(300, y4), qRgb(8, 16, 16));
}

void TstCurvePaint::labelsWhole()
{
    // Eight strips of mixed ranges, 1300 degC among them, at two window sizes: the label
    // column grows to the widest label, so no label pixel reaches the client's left edge,
    // and none of them spills into the plot.
    auto record = [](uint32_t code, double lo, double hi) {
        RangeInfo r{};
        r.RangeCode = code;
        r.RangeMin = lo;
        r.RangeMax = hi;
        r.RangeSpan = hi - lo;
        r.CodeStep = r.RangeSpan / 65536.0;
        return r;
    };
    const RangeInfo ranges[8] = {record(10, -200, 1300), record(7, -20, 20), record(8, 4, 20), record(0, -50, 50),
                                 record(15, 0, 1800), record(6, -10, 10), record(2, -500, 500),
                                 record(9, -200, 1200)};
    for (const QSize size : {QSize(1004, 560), QSize(1580, 860)}) {
        LiveRig live(size.width(), size.height());
        for (int i = 0; i < 8; ++i)
            live.view->SetChannelRange(i, ranges[i].RangeCode, ranges[i]);
        const curve::Layout& lay = live.view->GetLayout();
        const QFontMetrics fm(CCurvePainter::LabelFont());
        QCOMPARE(fm.ascent() + fm.descent(), CCurvePainter::kLabelCellHeight);
        QVERIFY(lay.plot.left >= fm.horizontalAdvance(QString::fromUtf8("AI0 550.0 ℃")) + curve::kLabelGap);
        const QImage img = live.Image();
        int leftmost = size.width();
        for (int y = 0; y < lay.plot.bottom; ++y)
            for (int x = 0; x < lay.plot.left - 4; ++x)
                if (Lit(img.pixel(x, y)) && x < leftmost)
                    leftmost = x;
        QVERIFY2(leftmost >= 1 && leftmost < 12, qPrintable(QString::number(leftmost)));
        // the column right of the labels stays dark down to the index axis
        for (int y = lay.plot.top + 2; y < lay.plot.bottom; ++y)
            QVERIFY2(!Lit(img.pixel(lay.plot.left - 4, y)), qPrintable(QString::number(y)));
        Save(img, size.width() > 1200 ? "live_wide.png" : "live.png");
    }
    HistRig hist(3, 1000, 500);
    Save(hist.Image(), "hist.png");
}

QTEST_MAIN(TstCurvePaint)
#include "tst_curve_paint.moc"
