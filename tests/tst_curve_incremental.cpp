// The waveform's quick way of painting against the paint engine's: trace pixels rasterised
// here must be the engine's own, and what the window shows after scrolls, new readings,
// cursor moves, an enlarged channel and the overlaid arrangement must equal the pane drawn
// from scratch through the engine.
#include "tst_curve_rig.h"

#include "framework/wndmsg.h"
#include "views/traceraster.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <random>
#include <vector>

using namespace nuv;
using namespace curvetest;

namespace {

// What the window shows of the viewport: the backing store as the paints left it.
QImage Shown(QWidget* w)
{
    QWidget* top = w->window();
    const QPoint at = w->mapTo(top, QPoint(0, 0));
    return top->screen()->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

QImage Reference(CCurveViewBase& view)
{
    QImage img(view.viewport()->size(), QImage::Format_RGB32);
    img.fill(0xFF00FF00u);
    QPainter p(&img);
    view.RenderPane(p, 1.0, false, true);
    return img;
}

// "" when equal (within `area` when given), else where they first differ.
QString Difference(const QImage& a, const QImage& b, QRect area = QRect())
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    if (area.isNull())
        area = a.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("first at %1,%2: %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
    return QString();
}

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace

class TstCurveIncremental : public QObject {
    Q_OBJECT
private slots:
    void rasterMatchesEngine();
    void historyStepsMatchScratch();
    void liveReadingsMatchScratch();
};

void TstCurveIncremental::rasterMatchesEngine()
{
    // Random traces of every steepness, as the engine draws them with a one-pixel pen,
    // clipped to random boxes, over a coloured background the traces are ORed onto.
    std::mt19937 rng(5);
    const int W = 160, H = 120;
    for (int it = 0; it < 1500; ++it) {
        const int n = 1 + int(rng() % 150);
        const int amp = rng() % 3 == 0 ? 1 + int(rng() % 3) : 1 + int(rng() % 80);
        std::vector<QPoint> pts;
        int y = int(rng() % H);
        for (int i = 0; i < n; ++i) {
            y = rng() % 4 == 0 ? int(rng() % H) : std::clamp(y + int(rng() % (2 * amp + 1)) - amp, 0, H - 1);
            pts.emplace_back(3 + i, y);
        }
        const QRect clip = it % 2 ? QRect(0, 0, W, H)
                                  : QRect(int(rng() % W), int(rng() % H), 1 + int(rng() % W), 1 + int(rng() % H));
        const QRgb color = qRgb(int(rng() % 256), int(rng() % 256), int(rng() % 256));
        QImage bg(W, H, QImage::Format_RGB32);
        bg.fill(qRgb(int(rng() % 64), int(rng() % 64), int(rng() % 64)));
        QImage engine(W, H, QImage::Format_RGB32);
        engine.fill(Qt::black);
        {
            QPainter p(&engine);
            p.setClipRect(clip);
            p.setPen(QPen(QColor::fromRgb(color), 1));
            if (n == 1)
                p.drawPoint(pts[0]);
            else
                p.drawPolyline(pts.data(), n);
        }
        for (int yy = 0; yy < H; ++yy) {
            auto* e = reinterpret_cast<QRgb*>(engine.scanLine(yy));
            const auto* g = reinterpret_cast<const QRgb*>(bg.constScanLine(yy));
            for (int x = 0; x < W; ++x)
                e[x] = e[x] == qRgb(0, 0, 0) ? g[x] : e[x] | g[x];
        }
        QImage ours = bg.copy();
        QVERIFY(curve::IsColumnTrace(pts.data(), n, W, H));
        curve::TraceTarget t;
        t.dst = reinterpret_cast<uint32_t*>(ours.bits());
        t.dstStride = ours.bytesPerLine() / 4;
        t.bg = reinterpret_cast<const uint32_t*>(bg.constBits());
        t.bgStride = bg.bytesPerLine() / 4;
        t.width = W;
        t.height = H;
        const QRect c = clip & QRect(0, 0, W, H);
        t.clipLeft = c.left();
        t.clipTop = c.top();
        t.clipRight = c.right();
        t.clipBottom = c.bottom();
        curve::RasterTrace(pts.data(), n, color, t);
        const QString d = Difference(ours, engine);
        QVERIFY2(d.isEmpty(), qPrintable(QStringLiteral("trace %1 (%2 points): %3").arg(it).arg(n).arg(d)));
    }
    // Traces the quick way cannot take are refused, so the engine draws them.
    const QPoint gap[] = {QPoint(5, 5), QPoint(7, 6)}, outside[] = {QPoint(5, 5), QPoint(6, H)};
    QVERIFY(!curve::IsColumnTrace(gap, 2, W, H));
    QVERIFY(!curve::IsColumnTrace(outside, 2, W, H));
}

void TstCurveIncremental::historyStepsMatchScratch()
{
    HistRig rig(8, 900, 640);
    std::mt19937 rng(9);
    auto noise = [&] {
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < CAIHistDoc::kWindowScans; ++j)
                rig.doc->m_Window[i][j] = uint16_t(rng());
    };
    auto check = [&](const char* what, QRect area = QRect()) {
        Settle();
        const QString d = Difference(Shown(rig.view->viewport()), Reference(*rig.view), area);
        QVERIFY2(d.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(what), d)));
    };
    noise();
    rig.view->RedrawAll();
    check("opened");
    QScrollBar* bar = rig.view->horizontalScrollBar();
    for (int step = 1; step <= 3; ++step) {   // page steps: new readings under a moved grid
        noise();
        rig.view->ScrollToPosition(step * 777, true);
        check("page step");
        // The scroll bar repaints only its thumb's change, and shows what a whole paint shows.
        QImage whole(bar->size(), QImage::Format_RGB32);
        bar->render(&whole);
        QVERIFY2(Difference(Shown(bar), whole).isEmpty(), "scroll bar after a page step");
    }
    rig.view->SetCursorX(0, 300);
    rig.view->SetCursorX(1, 301);   // neighbouring dotted lines
    rig.view->viewport()->update();
    check("cursors moved");
    const int y = int(rig.view->GetStripGeom(3).centre);
    QTest::mouseDClick(rig.view->viewport(), Qt::LeftButton, {}, QPoint(400, y));
    QTest::mouseDClick(rig.view->viewport(), Qt::LeftButton, {}, QPoint(400, y));
    QVERIFY(!rig.view->IsAllStrips());
    check("channel enlarged");
    rig.view->ScrollToPosition(100, true);
    check("enlarged, scrolled");
    QTest::mouseDClick(rig.view->viewport(), Qt::LeftButton, {}, QPoint(400, y));
    QVERIFY(rig.view->IsAllStrips());
    rig.doc->m_bTile = 0;
    rig.view->ApplyDisplayMode();
    // The index labels keep the colour the last value label left, which a fresh painter
    // does not know: the plot is compared.
    const curve::Rect& plot = rig.view->GetLayout().plot;
    check("overlaid", QRect(plot.left, plot.top, plot.Width(), plot.Height()));
}

void TstCurveIncremental::liveReadingsMatchScratch()
{
    // Readings arrive one by one into an empty sweep and wrap; each paints only the
    // columns that moved, and the window must still show the whole pane as drawn afresh.
    LiveRig rig(900, 640, 0, 8, 0);
    std::mt19937 rng(3);
    rig.view->SetCursorX(0, 200);
    for (int r = 1; r <= 900; ++r) {
        const int pos = 1 + (r - 1) % 800;
        for (int i = 0; i < 8; ++i)
            rig.doc->m_CodeRing[i][pos - 1] = uint16_t(rng());
        rig.doc->m_nSweepPos.store(pos);
        QEvent notice(MsgType(WM_CURVE_UPDATE));
        QApplication::sendEvent(rig.view.get(), &notice);
        QApplication::processEvents();
        if (r % 97 == 0 || r == 800 || r == 801) {
            const QString d = Difference(Shown(rig.view->viewport()), Reference(*rig.view));
            QVERIFY2(d.isEmpty(), qPrintable(QStringLiteral("after reading %1: %2").arg(r).arg(d)));
        }
    }
}

QTEST_MAIN(TstCurveIncremental)
#include "tst_curve_incremental.moc"
