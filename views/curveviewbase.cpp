#include "views/curveviewbase.h"

#include "views/readoutbar.h"
#include "views/rowscrollbar.h"
#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

namespace nuv {

using namespace curve;

CCurveViewBase::CCurveViewBase(QWidget* parent) : QAbstractScrollArea(parent)
{
    for (int i = 0; i < kMaxStrips; ++i) {
        m_points[i].reset(new QPoint[kPointCapacity]);
        m_pointLists[i] = m_points[i].get();
    }
    m_enlarged.reset(new QPoint[kPointCapacity]);
    // Each page step moves the thumb: only the thumb is painted again.
    setHorizontalScrollBar(new CRowScrollBar(Qt::Horizontal, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    horizontalScrollBar()->setSingleStep(1);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CCurveViewBase::OnScrollAction);
    m_pReadout = new CReadoutBar(this);
    m_pReadout->hide();
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
    int wanted = left;
    if (m_bFitScales) {
        // Fitted labels carry the places their step needs: room for the longest likely one.
        for (int i = 0; i < n && i < kMaxStrips; ++i) {
            const QString widest = QStringLiteral("AI%1 -8888.8888 ").arg(m_nChannelNo[i]) +
                                   RangeUnitText(m_scale[i].rangeCode);
            wanted = std::max(wanted, m_painter.TextWidth(widest) + kLabelGap + kLabelMargin);
        }
    }
    if (wanted != m_layout.plot.left)
        m_layout = ComputeLayout(vr.width(), vr.height(), n, wanted);
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
    const bool data = DataWindow(count, x0);
    if (m_bFitScales || m_bStatsWanted || !data)
        UpdateSummaries(data, count);
    else
        m_nFed = INT_MAX;   // readings went by unsummarised: the sweep starts afresh when wanted
    FitToData();
    if (data) {
        const int n = StripCount();
        for (int i = 0; i < n; ++i) {
            const uint16_t* codes = StripCodes(i);
            if (codes == nullptr)
                continue;
            if (m_fit[i].fitted) {
                const measure::ChannelDecode d = StripDecode(i);
                m_nPoints[i] = measure::FittedPoints(codes, count, x0, d.offset, d.gain, m_fit[i], m_geom[i].base,
                                                     m_nInner, m_points[i].get(), kPointCapacity);
            } else {
                m_nPoints[i] = StripPoints(codes, count, x0, m_scale[i], m_geom[i], m_nInner, m_points[i].get(),
                                           kPointCapacity);
            }
        }
    }
    if (m_bReadout)
        UpdateReadout();
    if (m_bStatsWanted)
        emit shownReadingsChanged();
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
    m_fitEnlarged = measure::FittedScale();
    if (m_bFitScales && m_bHasSummary[a] && m_layout.gridStep > 0.0) {
        const measure::ChannelDecode d = StripDecode(a);
        const measure::ChannelStats st = measure::StatsOf(m_summary[a], d);
        m_fitEnlarged = measure::FitScale(st.valid, st.min, st.max, int(m_layout.plotHeight / m_layout.gridStep),
                                          m_scale[a].span);
        if (m_fitEnlarged.fitted) {
            m_nEnlarged = measure::FittedPoints(codes, count, x0, d.offset, d.gain, m_fitEnlarged,
                                                m_layout.plot.bottom - 1, m_layout.plotHeight - 2, m_enlarged.get(),
                                                kPointCapacity);
            return;
        }
    }
    m_nEnlarged = EnlargedPoints(codes, count, x0, m_scale[a], m_layout, IsHistory(), m_enlarged.get(),
                                 kPointCapacity);
}

void CCurveViewBase::RedrawAll()
{
    m_bFullRedraw = true;
    ComputePoints();
    viewport()->update();
}

void CCurveViewBase::RedrawReadings()
{
    const int n = std::min(StripCount(), kMaxStrips);
    for (int i = 0; i < n; ++i)
        m_prevPoints[i].assign(m_points[i].get(), m_points[i].get() + m_nPoints[i]);
    m_bFullRedraw = true;
    ComputePoints();
    // Only the columns whose points moved need painting, as long as the background stays.
    int lo = INT_MAX, hi = INT_MIN;
    for (int i = 0; i < n; ++i) {
        const std::vector<QPoint>& before = m_prevPoints[i];
        const int count = std::max(int(before.size()), m_nPoints[i]);
        for (int j = 0; j < count; ++j) {
            const bool had = j < int(before.size()), has = j < m_nPoints[i];
            if (had && has && before[size_t(j)] == m_points[i][j])
                continue;
            const int x = has ? m_points[i][j].x() : before[size_t(j)].x();
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    }
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    if (!m_painter.BackgroundCurrent(scene)) {
        viewport()->update();
        return;
    }
    // A point's segments reach two columns either side of it.
    if (lo <= hi)
        viewport()->update(QRect(QPoint(lo - 3, m_layout.plot.top - 1), QPoint(hi + 3, m_layout.plot.bottom + 1)));
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
    if (m_bReadout)
        UpdateReadout();
}

void CCurveViewBase::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (m_bReadout) {
        const QRect vg = viewport()->geometry();
        m_pReadout->setGeometry(vg.left(), vg.bottom() + 1, vg.width(), viewportMargins().bottom());
    }
    Relayout();
}

void CCurveViewBase::Relayout()
{
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
    s.fitted = m_bFitScales ? m_fit : nullptr;
    s.fittedEnlarged = m_bFitScales && !m_bAllStrips ? m_fitEnlarged : measure::FittedScale();
    s.periodMs = m_bTimeAxis && doc ? ReadingPeriod() : 0.0;
    s.timeOrigin = s.periodMs > 0.0 && m_source.timeOrigin ? m_source.timeOrigin() : 0;
    s.cursorX[0] = m_nCursorX[0];
    s.cursorX[1] = m_nCursorX[1];
    if (const QRgb* cursor = CursorColors()) {
        s.cursorColor[0] = cursor[0];
        s.cursorColor[1] = cursor[1];
    }
    DescribeScene(s);
}

void CCurveViewBase::RenderPane(QPainter& p, qreal dpr, bool vector, bool reference)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    CCurvePainter painter;
    if (vector)
        painter.PaintVector(p, scene);
    else
        painter.Paint(p, scene, true, dpr, QRegion(), reference);
}

void CCurveViewBase::paintEvent(QPaintEvent* e)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    QPainter p(viewport());
    m_painter.Paint(p, scene, m_bFullRedraw, viewport()->devicePixelRatioF(), e->region());
    m_bFullRedraw = false;
}

} // namespace nuv
