// Geometry, scaling, interaction arithmetic and labels of the waveform views.
#include "views/curvegeom.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace nuv::curve;

namespace {

Scale Volt10()   // range code 5: -10..10 V
{
    Scale s;
    s.rangeCode = 5;
    s.upper = 10.0;
    s.lower = -10.0;
    s.span = 20.0;
    s.step = 20.0 / 65536.0;
    return s;
}

Scale Thermo()   // range code 9, based drawing
{
    Scale s;
    s.rangeCode = 9;
    s.upper = 1200.0;
    s.lower = -200.0;
    s.span = 1400.0;
    s.step = 1400.0 / 65536.0;
    return s;
}

// Fonts whose every character is 5, 7 or 8 pixels wide.
int Width5(const QString& t) { return 5 * int(t.size()); }
int Width7(const QString& t) { return 7 * int(t.size()); }
int Width8(const QString& t) { return 8 * int(t.size()); }

bool Overlap(const Label& a, const Label& b, int ascent, int descent)
{
    return a.x == b.x && a.y - ascent < b.y + descent && b.y - ascent < a.y + descent;
}

} // namespace

class TstCurveGeom : public QObject {
    Q_OBJECT
private slots:
    void layoutOf860By630();
    void divisionThresholds();
    void centredAndBasedRules();
    void enlargedRulesAndHistoryOffset();
    void noPointFromUnusableGeometry();
    void pointsAndCapacity();
    void visibleCount();
    void cursorHitsAndConfinement();
    void scrollClamps();
    void doubleClickSelectEnlargeReturn();
    void indexLabelsAndStartMarker();
    void stripLabels();
    void enlargedLabels();
    void gridRuns();
    void defaultColours();
    void labelColumnAndOverlaps();
    void indexLabelsNeverTouch();
    void endShowsTheLastScreenful();
};

void TstCurveGeom::layoutOf860By630()
{
    const Layout l = ComputeLayout(860, 630, 8);
    QCOMPARE(l.plotWidth, 790);
    QCOMPARE(l.plot.left, 60);
    QCOMPARE(l.plot.top, 10);
    QCOMPARE(l.plot.right, 850);
    QCOMPARE(l.plot.bottom, 610);
    QCOMPARE(l.plotHeight, 600);
    QCOMPARE(l.stripHeight, 75.0);
    QCOMPARE(l.divisions, 4);
    QCOMPARE(l.gridStep, 18.75);
    QCOMPARE(InnerHeight(l.plotHeight, 8), 67);

    // history: 3 strips
    const Layout h = ComputeLayout(860, 630, 3);
    QCOMPARE(h.stripHeight, 200.0);
    QCOMPARE(h.divisions, 8);
    QCOMPARE(h.gridStep, 600.0 / 24.0);

    // a plot narrower than one column is raised to 1
    QCOMPARE(ComputeLayout(50, 630, 8).plotWidth, 1);
}

void TstCurveGeom::divisionThresholds()
{
    QCOMPARE(DivisionCount(120.0), 8);
    QCOMPARE(DivisionCount(119.99), 4);
    QCOMPARE(DivisionCount(60.0), 4);
    QCOMPARE(DivisionCount(59.99), 2);
    QCOMPARE(DivisionCount(40.01), 2);
    QCOMPARE(DivisionCount(40.0), 1);
    QCOMPARE(DivisionCount(-3.0), 1);
}

void TstCurveGeom::centredAndBasedRules()
{
    const Layout l = ComputeLayout(860, 630, 8);
    Scale sc[8];
    for (Scale& s : sc)
        s = Volt10();
    sc[6] = Thermo();
    StripGeom g[8];
    QVERIFY(ComputeStripGeometry(l, 8, sc, g));
    const int inner = InnerHeight(l.plotHeight, 8);
    QCOMPARE(g[0].centre, 10.0 + 37.0);     // 10 + floor(600 / 16)
    QCOMPARE(g[7].centre, 10.0 + 562.0);    // 10 + floor(600 * 15 / 16)
    QCOMPARE(g[0].base, g[0].centre + 33);

    int y = 0;
    QVERIFY(StripY(sc[0], g[0], inner, 32768, &y));
    QCOMPARE(y, int(g[0].centre));
    QVERIFY(StripY(sc[0], g[0], inner, 0, &y));
    QCOMPARE(y, int(g[0].centre) + 33);
    QVERIFY(StripY(sc[0], g[0], inner, 65535, &y));
    QCOMPARE(y, int(g[0].centre) - 33);

    // based rule: code 0 sits on the band's bottom edge, full scale near its top
    QVERIFY(StripY(sc[6], g[6], inner, 0, &y));
    QCOMPARE(y, int(g[6].base));
    QVERIFY(StripY(sc[6], g[6], inner, 65535, &y));
    QCOMPARE(y, int(g[6].base) - 66);

    // a plot height of 0 leaves the geometry as it was
    StripGeom keep[8];
    keep[0].centre = 123.0;
    QVERIFY(!ComputeStripGeometry(ComputeLayout(860, 30, 8), 8, sc, keep));
    QCOMPARE(keep[0].centre, 123.0);
}

void TstCurveGeom::enlargedRulesAndHistoryOffset()
{
    const Layout l = ComputeLayout(860, 630, 8);   // plot 10..610
    int live = 0, hist = 0;
    QVERIFY(EnlargedY(Volt10(), l, false, 32768, &live));
    QCOMPARE(live, 310);
    QVERIFY(EnlargedY(Volt10(), l, true, 32768, &hist));
    QCOMPARE(hist, 311);
    QVERIFY(EnlargedY(Volt10(), l, false, 0, &live));
    QCOMPARE(live, 310 + 299);
    // based: code 0 on the plot's last row, no history offset
    QVERIFY(EnlargedY(Thermo(), l, false, 0, &live));
    QVERIFY(EnlargedY(Thermo(), l, true, 0, &hist));
    QCOMPARE(live, 609);
    QCOMPARE(hist, 609);
}

void TstCurveGeom::noPointFromUnusableGeometry()
{
    uint16_t codes[16];
    for (int i = 0; i < 16; ++i)
        codes[i] = uint16_t(i * 4000);
    QPoint pts[16];
    Scale s = Volt10();
    StripGeom g{20.0 / 67, 100.0, 133.0};

    // plot heights below 72 px leave no trace band
    QCOMPARE(StripPoints(codes, 16, 60, s, g, 0, pts, 16), 0);
    QCOMPARE(StripPoints(codes, 16, 60, s, g, -3, pts, 16), 0);
    // zero span: zero scale
    g.scale = 0.0;
    QCOMPARE(StripPoints(codes, 16, 60, s, g, 67, pts, 16), 0);
    g.scale = std::numeric_limits<double>::infinity();
    QCOMPARE(StripPoints(codes, 16, 60, s, g, 67, pts, 16), 0);
    // a tiny span overflows every coordinate but the zero line
    g.scale = 1e-300;
    const int n = StripPoints(codes, 16, 60, s, g, 67, pts, 16);
    QVERIFY(n <= 1);
    for (int i = 0; i < n; ++i)
        QVERIFY(std::abs(pts[i].y()) < kCoordLimit + 1000);
    // NaN step
    s.step = std::nan("");
    g.scale = 20.0 / 67;
    QCOMPARE(StripPoints(codes, 16, 60, s, g, 67, pts, 16), 0);

    Layout tiny = ComputeLayout(860, 32, 8);   // plot height 2
    QCOMPARE(EnlargedPoints(codes, 16, 60, Volt10(), tiny, false, pts, 16), 0);
    Scale zero = Volt10();
    zero.span = 0.0;
    QCOMPARE(EnlargedPoints(codes, 16, 60, zero, ComputeLayout(860, 630, 8), false, pts, 16), 0);
}

void TstCurveGeom::pointsAndCapacity()
{
    static uint16_t codes[kPointCapacity + 100];
    for (int i = 0; i < kPointCapacity + 100; ++i)
        codes[i] = 32768;
    static QPoint pts[kPointCapacity];
    const Scale s = Volt10();
    const StripGeom g{20.0 / 67, 47.0, 80.0};
    QCOMPARE(StripPoints(codes, 5, 60 - 3, s, g, 67, pts, kPointCapacity), 5);
    QCOMPARE(pts[0], QPoint(57, 47));
    QCOMPARE(pts[4], QPoint(61, 47));
    QCOMPARE(StripPoints(codes, kPointCapacity + 100, 60, s, g, 67, pts, kPointCapacity), kPointCapacity);
    QCOMPARE(StripPoints(codes, 0, 60, s, g, 67, pts, kPointCapacity), 0);
}

void TstCurveGeom::visibleCount()
{
    QCOMPARE(VisibleCount(790, 0, 100000, kPointCapacity), 791);
    QCOMPARE(VisibleCount(790, 99500, 100000, kPointCapacity), 500);
    QCOMPARE(VisibleCount(790, 0, 0, kPointCapacity), 0);
    QCOMPARE(VisibleCount(790, 10, 5, kPointCapacity), 0);
    // wide plots are served up to the buffer capacity
    QCOMPARE(VisibleCount(8192, 0, 1000000, kPointCapacity), 8193);
    QCOMPARE(VisibleCount(20000, 0, 1000000, kPointCapacity), kPointCapacity);
    // the window never exceeds 131072
    QCOMPARE(VisibleCount(200000, 0, 150000, 1 << 20), 131072);
}

void TstCurveGeom::cursorHitsAndConfinement()
{
    QCOMPARE(PressDragMode(84, 80, 300), int(kDragCursor1));
    QCOMPARE(PressDragMode(85, 80, 300), int(kDragPan));
    QCOMPARE(PressDragMode(76, 80, 300), int(kDragCursor1));
    QCOMPARE(PressDragMode(83, 80, 86), int(kDragCursor2));
    QVERIFY(PairHit(200, 80, 300));
    QVERIFY(PairHit(80, 80, 300));
    QVERIFY(PairHit(200, 300, 80));
    QVERIFY(!PairHit(79, 80, 300));
    QVERIFY(!PairHit(301, 80, 300));

    const Layout l = ComputeLayout(860, 630, 8);
    const Range1 c = CursorConfine(l.plot);
    QCOMPARE(c.Clamp(5), 60);
    QCOMPARE(c.Clamp(900), 849);
    const Range1 p = PairConfine(l.plot, 200, 80, 300);
    QCOMPARE(p.lo, 60 + 120);
    QCOMPARE(p.hi, 849 - 100);

    QCOMPARE(CursorIndex(80, 60, 0), 20);
    QCOMPARE(CursorIndex(80, 60, 37), 57);

    // pointer shapes: hand in the plot, resize near a cursor, arrow outside or dragging
    QCOMPARE(MoveShape(true, false, false, kShapeInitial, 400, 80, 300), int(kShapeHand));
    QCOMPARE(MoveShape(true, false, false, kShapeInitial, 296, 80, 300), int(kShapeResize));
    QCOMPARE(MoveShape(false, false, false, kShapeHand, 10, 80, 300), int(kShapeArrow));
    QCOMPARE(MoveShape(true, true, false, kShapeHand, 400, 80, 300), int(kShapeArrow));
}

void TstCurveGeom::scrollClamps()
{
    QCOMPARE(PanTarget(3, 400, 410, 1000), 0);
    QCOMPARE(PanTarget(100, 400, 410, 1000), 90);
    QCOMPARE(PanTarget(995, 410, 400, 1000), 1000);

    const int max = 800, page = 790;
    QCOMPARE(KeyTarget(ScrollKey::Right, max, page, max), max);
    QCOMPARE(ScrollTarget(ScrollRequest::PageRight, max, page, 0, max), max);
    QCOMPARE(WheelTarget(max, -120, false, max), max);
    QCOMPARE(KeyTarget(ScrollKey::End, 5, page, max), max);
    QCOMPARE(KeyTarget(ScrollKey::Home, 500, page, max), 0);
    QCOMPARE(KeyTarget(ScrollKey::PageUp, 500, page, max), 0);
    QCOMPARE(KeyTarget(ScrollKey::PageDown, 5, 100, max), 105);
    QCOMPARE(KeyTarget(ScrollKey::Left, 0, page, max), 0);
    QCOMPARE(KeyTarget(ScrollKey::Other, 7, page, max), 7);
    QCOMPARE(ScrollTarget(ScrollRequest::LineLeft, 0, page, 0, max), 0);
    QCOMPARE(ScrollTarget(ScrollRequest::LineRight, 10, page, 0, max), 11);
    QCOMPARE(ScrollTarget(ScrollRequest::PageLeft, 100, 30, 0, max), 70);
    QCOMPARE(ScrollTarget(ScrollRequest::ThumbTrack, 100, 30, 930, max), 930);
    QCOMPARE(ScrollTarget(ScrollRequest::Other, 100, 30, 930, max), 100);
    QCOMPARE(WheelTarget(0, -120, false, max), 40);
    QCOMPARE(WheelTarget(0, 0, false, max), 40);
    QCOMPARE(WheelTarget(100, 120, false, max), 60);
    QCOMPARE(WheelTarget(20, 120, false, max), 0);
    QCOMPARE(WheelTarget(100, -120, true, max), 100);
    // no overflow near the integer limit
    QCOMPARE(KeyTarget(ScrollKey::PageDown, 2147482000, 10000, 2147482391), 2147482391);
}

void TstCurveGeom::doubleClickSelectEnlargeReturn()
{
    const Layout l = ComputeLayout(860, 630, 8);
    Scale sc[8];
    StripGeom g[8];
    ComputeStripGeometry(l, 8, sc, g);
    // strip 2's centre: 10 + 600 * 5 / 16 = 197
    DblClick r = DoubleClick(true, true, true, 0, 197, g, 8, l.plotHeight);
    QVERIFY(r.acted && r.allStrips && r.publish);
    QCOMPARE(r.selected, 2);
    r = DoubleClick(true, true, r.allStrips, r.selected, 200, g, 8, l.plotHeight);
    QVERIFY(r.acted && !r.allStrips && r.redraw);
    QCOMPARE(r.selected, 2);
    r = DoubleClick(true, true, r.allStrips, r.selected, 600, g, 8, l.plotHeight);
    QVERIFY(r.acted && r.allStrips);
    QCOMPARE(r.selected, 2);
    // band boundary: |84 - 47| = 37 is not below 600 / 16 = 37
    QCOMPARE(HitStrip(84, g, 8, l.plotHeight), -1);
    QCOMPARE(HitStrip(83, g, 8, l.plotHeight), 0);
    QVERIFY(!DoubleClick(true, true, true, 0, 84, g, 8, l.plotHeight).acted);
    // overlay and clicks outside the plot do nothing
    QVERIFY(!DoubleClick(false, true, true, 0, 197, g, 8, l.plotHeight).acted);
    QVERIFY(!DoubleClick(false, true, false, 2, 197, g, 8, l.plotHeight).acted);
    QVERIFY(!DoubleClick(true, false, true, 0, 197, g, 8, l.plotHeight).acted);
}

void TstCurveGeom::indexLabelsAndStartMarker()
{
    const Layout l = ComputeLayout(860, 630, 8);
    Label labels[64];
    int n = IndexLabels(l, 0, 800, false, labels, 64);
    QCOMPARE(labels[0].text, QStringLiteral("Index"));
    QCOMPARE(labels[0].x, 25);
    QCOMPARE(labels[0].y, 615);
    QCOMPARE(labels[1].text, QStringLiteral("0"));
    QCOMPARE(labels[1].x, 56);
    QCOMPARE(labels[2].text, QStringLiteral("50  "));
    QCOMPARE(labels[2].x, 110);
    QCOMPARE(labels[3].text, QStringLiteral("100 "));
    // the last one still left of plot right - 5 is 750 at x 800
    QCOMPARE(labels[n - 1].text.trimmed(), QStringLiteral("750"));
    QVERIFY(StartMarkerVisible(l, 0));

    n = IndexLabels(l, 37, 800, false, labels, 64);
    QCOMPARE(labels[1].text.trimmed(), QStringLiteral("50"));
    QCOMPARE(labels[1].x, l.plot.left + 13);
    QVERIFY(!StartMarkerVisible(l, 37));

    n = IndexLabels(l, 37, 800, true, labels, 64);
    QCOMPARE(labels[1].text, QStringLiteral("50.00"));
    // a short file: no label beyond its last index
    n = IndexLabels(l, 0, 120, true, labels, 64);
    QCOMPARE(n, 4);
    QCOMPARE(labels[3].text, QStringLiteral("100.00"));
}

void TstCurveGeom::stripLabels()
{
    const Layout l = ComputeLayout(860, 630, 8);   // N 4, grid 18.75
    Label labels[16];
    int n = StripLabels(l, 0, Volt10(), 0, false, labels, 16);
    QCOMPARE(n, 5);
    QCOMPARE(labels[0].text, QStringLiteral("10.0 V"));
    QCOMPARE(labels[1].text, QStringLiteral("5.0 V"));
    QCOMPARE(labels[2].text, QStringLiteral("AI0  0.0 V"));
    QCOMPARE(labels[4].text, QStringLiteral("-10.0 V"));
    QCOMPARE(labels[0].x, 56);
    QCOMPARE(labels[0].y, 13);        // first strip: base + 3
    QCOMPARE(labels[2].y, 10 + 37 + 3);
    QCOMPARE(labels[4].y, 85 - 1);    // bottom: base - 1

    n = StripLabels(l, 1, Thermo(), 6, true, labels, 16);
    QCOMPARE(labels[0].y, 85 + 11);   // later strips: top label below the separator
    QCOMPARE(labels[0].text, QString::fromUtf8("1200.0 ℃"));
    QCOMPARE(labels[2].text, QString::fromUtf8("AI6 500.0 ℃"));
    Scale mv = Volt10();
    mv.rangeCode = 1;
    StripLabels(l, 0, mv, 3, false, labels, 16);
    QCOMPARE(labels[2].text, QStringLiteral("AI3  0.0 mV"));

    // strips of 25 px or less carry only the name
    const Layout small = ComputeLayout(860, 230, 8);
    QCOMPARE(small.stripHeight, 25.0);
    n = StripLabels(small, 3, Volt10(), 3, false, labels, 16);
    QCOMPARE(n, 1);
    QCOMPARE(labels[0].text, QStringLiteral("AI3"));
    QCOMPARE(labels[0].y, 10 + 75 + 20);
}

void TstCurveGeom::enlargedLabels()
{
    const Layout l = ComputeLayout(860, 630, 8);   // m = 600 / 18.75 = 32
    Label labels[64];
    int n = EnlargedLabels(l, Volt10(), 5, false, labels, 64);
    QCOMPARE(n, 34);
    QCOMPARE(labels[0].text, QStringLiteral("10.0 V"));
    QCOMPARE(labels[16].text, QStringLiteral("0.0 V"));
    QCOMPARE(labels[16].y, 10 + 300 + 3);
    QCOMPARE(labels[33].text, QStringLiteral("AI 5"));
    QCOMPARE(labels[33].x, 110);
    n = EnlargedLabels(l, Volt10(), 5, true, labels, 64);
    QCOMPARE(labels[1].text, QStringLiteral("9.375 V"));
}

void TstCurveGeom::gridRuns()
{
    int offs[256];
    int n = VerticalGridOffsets(790, 0, 800, offs, 256);
    QCOMPARE(n, 15);
    QCOMPARE(offs[0], 50);
    QCOMPARE(offs[14], 750);
    n = VerticalGridOffsets(1000, 0, 800, offs, 256);
    QCOMPARE(offs[n - 1], 800);   // the grid ends with the sweep
    n = VerticalGridOffsets(790, 37, 800, offs, 256);
    QCOMPARE(offs[0], 13);
    const Range1 r = HorizontalDotRun(1000, 3, 800);
    QCOMPARE(r.lo, 2);
    QVERIFY(3 + (r.hi - 1) + 5 <= 800);
    QCOMPARE(HorizontalDotRun(790, 0, 800).hi, 790);
}

void TstCurveGeom::defaultColours()
{
    QCOMPARE(DefaultTraceRgb(0), 0xFF10FF00u);
    QCOMPARE(DefaultTraceRgb(2), 0xFFFB04C8u);
    QCOMPARE(DefaultTraceRgb(4), 0xFFB93C50u);   // (185,60,80)
    QCOMPARE(DefaultTraceRgb(7), 0xFF8C698Cu);   // (140,105,140)
    QCOMPARE(DefaultCursorRgb(1), 0xFFFFFFFFu);
}

void TstCurveGeom::labelColumnAndOverlaps()
{
    // 1300 degC in a strip labels "AI7 650.0 ℃" (11 characters, 77 px): the column grows.
    Layout lay = ComputeLayout(1000, 600, 8);
    Scale scales[8];
    int channels[8];
    for (int i = 0; i < 8; ++i) {
        scales[i] = Volt10();
        channels[i] = i;
    }
    QCOMPARE(LabelColumnLeft(lay, 8, scales, channels, false, Width5), 60);   // "AI0  0.0 V" fits
    scales[7].upper = 1300.0;
    scales[7].span = 1300.0;
    scales[7].rangeCode = 10;
    QCOMPARE(LabelColumnLeft(lay, 8, scales, channels, false, Width7), 77 + kLabelGap + kLabelMargin);
    // the enlarged channel's labels count too: "-100.000 V" in playback (70 px)
    Scale wide = Volt10();
    wide.upper = 100.0;
    wide.span = 200.0;
    QCOMPARE(LabelColumnLeft(lay, 1, &wide, channels, true, Width7), 70 + kLabelGap + kLabelMargin);
    lay = ComputeLayout(1000, 600, 8, 90);
    QCOMPARE(lay.plot.left, 90);
    QCOMPARE(lay.plotWidth, 900);

    // 8 strips of 71.25 px, 4 divisions: a strip's bottom label and the next one's top
    // label share rows; every name stays, the top label wins, nothing leaves the client.
    const int ascent = 11, descent = 3;
    Label labels[100];
    int n = 0;
    for (int i = 0; i < 8; ++i)
        n += StripLabels(lay, i, scales[i], i, false, labels + n, 100 - n);
    QCOMPARE(n, 40);
    const int kept = KeepReadableLabels(labels, n, ascent, descent, 0, 600);
    int names = 0;
    for (int a = 0; a < kept; ++a) {
        names += labels[a].rank == kRankName;
        QVERIFY(labels[a].y - ascent >= 0 && labels[a].y + descent <= 600);
        for (int b = a + 1; b < kept; ++b)
            QVERIFY2(!Overlap(labels[a], labels[b], ascent, descent), qPrintable(labels[a].text + labels[b].text));
    }
    QCOMPARE(names, 8);
    auto has = [&](int group, int rank) {
        for (int a = 0; a < kept; ++a)
            if (labels[a].group == group && labels[a].rank == rank)
                return true;
        return false;
    };
    QVERIFY(has(0, kRankTop) && !has(0, kRankBottom));
    QVERIFY(has(1, kRankTop) && has(7, kRankBottom));

    // strips of 12 px carry only names, one every 12 px: every other one fits
    lay = ComputeLayout(1000, 126, 8);
    n = 0;
    for (int i = 0; i < 8; ++i)
        n += StripLabels(lay, i, scales[i], i, false, labels + n, 100 - n);
    QCOMPARE(n, 8);
    QCOMPARE(KeepReadableLabels(labels, n, ascent, descent, 0, 126), 4);
    QCOMPARE(labels[1].text, QStringLiteral("AI2"));
    // a label reaching above the client is left out rather than cut
    Label top[1];
    top[0].y = 10;
    QCOMPARE(KeepReadableLabels(top, 1, ascent, descent, 0, 100), 0);
}

void TstCurveGeom::indexLabelsNeverTouch()
{
    Layout lay = ComputeLayout(870, 630, 8);   // plot 60..860
    Label labels[40];
    // "1150.00" takes 56 px of the 50 between labels: every other one stays
    int n = IndexLabels(lay, 1100, 100000, true, labels, 40);
    n = KeepSpacedIndexLabels(labels, n, Width8, lay.client.right);
    QStringList texts;
    for (int k = 0; k < n; ++k)
        texts << labels[k].text;
    QCOMPARE(texts.join(QLatin1Char(' ')),
             QStringLiteral("Index 1150.00 1250.00 1350.00 1450.00 1550.00 1650.00 1750.00 1850.00"));
    // short live labels all stay, "0" after "Index" too
    n = KeepSpacedIndexLabels(labels, IndexLabels(lay, 0, 800, false, labels, 40), Width5, lay.client.right);
    QCOMPARE(n, 2 + 15);
    // at any position and width: no two drawn labels closer than the gap, none past the edge
    for (int w : {300, 777, 1024, 1600}) {
        lay = ComputeLayout(w, 600, 3, 73);
        for (int pos = 0; pos < 300000; pos += 997) {
            n = KeepSpacedIndexLabels(labels, IndexLabels(lay, pos, 400000, true, labels, 40), Width7,
                                      lay.client.right);
            QVERIFY(n >= 1);
            for (int k = 0; k < n; ++k) {
                QVERIFY(labels[k].x + Width7(labels[k].text.trimmed()) <= lay.client.right);
                if (k > 0)
                    QVERIFY(labels[k].x >= labels[k - 1].x + Width7(labels[k - 1].text.trimmed()) + kIndexLabelGap);
            }
        }
    }
}

void TstCurveGeom::endShowsTheLastScreenful()
{
    QCOMPARE(LastScreenful(100000, 790), 99210);
    QCOMPARE(LastScreenful(790, 790), 0);
    QCOMPARE(LastScreenful(300, 790), 0);
    // from there the screen holds exactly the readings up to the last, none beyond
    QCOMPARE(VisibleCount(790, LastScreenful(100000, 790), 100000, kPointCapacity), 790);
}

QTEST_APPLESS_MAIN(TstCurveGeom)
#include "tst_curve_geom.moc"
