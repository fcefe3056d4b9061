#include "views/curveviewbase.h"

#include "acquisition/aitypes.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace nuv {

using namespace curve;

CCurveViewBase::CCurveViewBase(QWidget* parent) : QAbstractScrollArea(parent)
{
    for (int i = 0; i < kMaxStrips; ++i) {
        m_points[i].reset(new QPoint[kPointCapacity]);
        m_pointLists[i] = m_points[i].get();
    }
    m_enlarged.reset(new QPoint[kPointCapacity]);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    horizontalScrollBar()->setSingleStep(1);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CCurveViewBase::OnScrollAction);
}

CCurveViewBase::~CCurveViewBase() = default;

void CCurveViewBase::InitialUpdate(int scrollTotal, const uint32_t* deviceRanges, MDQ4170_HANDLE device)
{
    QRgb* trace = TraceColors();
    QRgb* cursor = CursorColors();
    bool unset = true;
    for (int i = 0; i < kMaxStrips; ++i)
        unset = unset && trace[i] == 0;
    for (int k = 0; k < 3; ++k)
        unset = unset && cursor[k] == 0;
    if (unset) {
        for (int i = 0; i < kMaxStrips; ++i)
            trace[i] = DefaultTraceRgb(i);
        for (int k = 0; k < 3; ++k)
            cursor[k] = DefaultCursorRgb(k);
    }
    RecalcLayout();
    RedrawAll();
    SetScrollSizes(scrollTotal);
    viewport()->setCursor(Qt::CrossCursor);
    for (int i = 0; deviceRanges != nullptr && i < kMaxStrips; ++i) {
        const uint32_t code = deviceRanges[i];
        ApplyDeviceRange(i, code, DisplayRangeInfo(device, code));
    }
    m_bRangesLoaded = true;
    m_bInitialized = true;
}

void CCurveViewBase::RecalcLayout()
{
    if (!m_bLayoutReady)
        return;
    const QRect vr = viewport()->rect();
    const int n = StripCount();
    m_layout = ComputeLayout(vr.width(), vr.height(), n);
    // The label column takes the widest value label; the plot starts right of it.
    const int left = LabelColumnLeft(m_layout, n, m_scale, m_nChannelNo, IsHistory(),
                                     [this](const QString& t) { return m_painter.TextWidth(t); });
    if (left != m_layout.plot.left)
        m_layout = ComputeLayout(vr.width(), vr.height(), n, left);
    m_nCursorX[0] = m_layout.plot.left + 20;
    m_nCursorX[1] = m_layout.client.right - 30;
    m_nLastMouseX = m_layout.client.right - 30;
    horizontalScrollBar()->setPageStep(m_layout.plotWidth);
    StorePlotWidth(m_layout.plotWidth);
    if (m_layout.plotHeight <= 0 || KeepsStripGeometry())
        return;   // the strips keep their last geometry
    m_nInner = InnerHeight(m_layout.plotHeight, n);
    ComputeStripGeometry(m_layout, n, m_scale, m_geom);
}

void CCurveViewBase::RefreshVisibleCount()
{
    if (!HasDoc())
        return;
    m_nVisibleCount = VisibleCount(m_layout.plotWidth, Position(), MaxPosition(), kPointCapacity);
    StoreVisibleCount(m_nVisibleCount);
}

void CCurveViewBase::ComputePoints()
{
    std::fill(std::begin(m_nPoints), std::end(m_nPoints), 0);
    int count = 0, x0 = 0;
    if (!DataWindow(count, x0))
        return;
    const int n = StripCount();
    for (int i = 0; i < n; ++i) {
        if (const uint16_t* codes = StripCodes(i))
            m_nPoints[i] = StripPoints(codes, count, x0, m_scale[i], m_geom[i], m_nInner, m_points[i].get(),
                                       kPointCapacity);
    }
}

void CCurveViewBase::ComputeEnlarged()
{
    m_nEnlarged = 0;
    int count = 0, x0 = 0;
    if (m_bAllStrips || !Tiled() || !DataWindow(count, x0))
        return;
    const int a = std::clamp(SelectedStrip(), 0, StripCount() - 1);
    const uint16_t* codes = StripCodes(a);
    if (codes == nullptr)
        return;   // a strip without a trace has none enlarged either
    m_nEnlarged = EnlargedPoints(codes, count, x0, m_scale[a], m_layout, IsHistory(), m_enlarged.get(),
                                 kPointCapacity);
}

void CCurveViewBase::RedrawAll()
{
    m_bFullRedraw = true;
    ComputePoints();
    viewport()->update();
}

void CCurveViewBase::ApplyDisplayMode()
{
    RecalcLayout();
    RedrawAll();
}

void CCurveViewBase::ScrollToPosition(int position, bool redraw)
{
    if (HasDoc())
        SetPosition(position);
    FollowPosition();
    SetScrollBarPos(position);
    if (redraw)
        RedrawAll();
}

void CCurveViewBase::SetScrollSizes(int total)
{
    QScrollBar* bar = horizontalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(total, 0));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(m_layout.plotWidth, 1));
}

void CCurveViewBase::PublishCursorIndices()
{
    if (!HasDoc() || !m_bInitialized)
        return;
    for (int k = 0; k < 2; ++k) {
        m_nCursorIndex[k] = CursorIndex(m_nCursorX[k], m_layout.plot.left, Position());
        StoreCursorIndex(k, m_nCursorIndex[k]);
    }
    CursorsPublished();
}

void CCurveViewBase::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    m_painter.DropLayers();
    // The flag goes up before the layout so that the first size event lays out even when
    // the initial update ran before the view was shown.
    const bool wasReady = m_bLayoutReady;
    m_bLayoutReady = true;
    RecalcLayout();
    if (m_bRangesLoaded)
        RefreshVisibleCount();
    m_bFullRedraw = true;
    if (wasReady) {
        ComputePoints();
        viewport()->update();
    }
    PublishCursorIndices();
}

void CCurveViewBase::scrollContentsBy(int, int)
{
    // The view paints its whole client from the position; nothing is moved.
}

void CCurveViewBase::FillScene(CurveScene& s)
{
    static const QRgb kNoColors[kMaxStrips]{};
    const bool doc = HasDoc();
    const QRgb* colors = TraceColors();
    s.layout = m_layout;
    s.scales = m_scale;
    s.geoms = m_geom;
    s.inner = m_nInner;
    s.channelNo = m_nChannelNo;
    s.colors = colors != nullptr ? colors : kNoColors;
    s.history = IsHistory();
    s.allStrips = m_bAllStrips;
    s.selected = doc ? std::clamp(SelectedStrip(), 0, StripCount() - 1) : 0;
    s.position = doc ? Position() : 0;
    s.points = m_pointLists;
    s.pointCount = m_nPoints;
    s.enlarged = m_enlarged.get();
    s.enlargedCount = m_nEnlarged;
    s.cursorCount = CursorCount();
    s.cursorX[0] = m_nCursorX[0];
    s.cursorX[1] = m_nCursorX[1];
    if (const QRgb* cursor = CursorColors()) {
        s.cursorColor[0] = cursor[0];
        s.cursorColor[1] = cursor[1];
    }
    DescribeScene(s);
}

void CCurveViewBase::RenderPane(QPainter& p, qreal dpr, bool vector)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    CCurvePainter painter;
    if (vector)
        painter.PaintVector(p, scene);
    else
        painter.Paint(p, scene, true, dpr);
}

void CCurveViewBase::paintEvent(QPaintEvent*)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    QPainter p(viewport());
    m_painter.Paint(p, scene, m_bFullRedraw, viewport()->devicePixelRatioF());
    m_bFullRedraw = false;
}

} // namespace nuv
