// Painting of the waveform views, checked on rendered images.
#include "tst_curve_rig.h"

#include <QDir>
#include <QMouseEvent>

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
    void snapshots();
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

    LiveRig wider(860, 238);
    img = wider.Image();
    rows = LitRows(img, 0, 55, 10 + 26 + 3, 10 + 52 - 2);
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
    LiveRig live(860, 630, 0, 0);
    live.doc->m_nSelChannel = 7;
    QImage img = live.Image();
    auto count = [&](const QImage& im, int x, QRgb c) {
        int n = 0;
        for (int y = 300; y < 400; ++y)
            n += im.pixel(x, y) == c;
        return n;
    };
    QVERIFY(count(img, 80, qRgb(255, 0, 0)) > 20);
    const int x2 = live.view->GetCursorX(1);
    QCOMPARE(x2, 830);
    QVERIFY(count(img, x2, qRgb(255, 255, 255)) > 20);
    // a dotted line: gaps keep what was below
    QVERIFY(count(img, 80, qRgb(0, 0, 0)) > 20);

    HistRig hist(3, 860, 630);
    img = hist.Image();
    QVERIFY(count(img, 80, qRgb(255, 0, 0)) > 20);
    QCOMPARE(count(img, hist.view->GetCursorX(1), qRgb(255, 255, 255)), 0);
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

void TstCurvePaint::snapshots()
{
    LiveRig live(860, 630, 0, 6);
    Save(live.Image(), "live.png");
    Save(live.view->viewport()->grab().toImage(), "live_grab.png");   // at the screen's pixel ratio
    HistRig hist(3, 1000, 500);
    Save(hist.Image(), "hist.png");
}

QTEST_MAIN(TstCurvePaint)
#include "tst_curve_paint.moc"
