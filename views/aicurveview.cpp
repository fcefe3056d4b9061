#include "aicurveview.h"

#include "aidoc.h"
#include "aitypes.h"
#include "nuvapp.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace nuv {

using namespace curve;

CAICurveView::CAICurveView(QWidget* parent) : QAbstractScrollArea(parent)
{
    for (auto& p : m_points)
        p.reset(new QPoint[kPointCapacity]);
    m_enlarged.reset(new QPoint[kPointCapacity]);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    horizontalScrollBar()->setSingleStep(1);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CAICurveView::OnScrollAction);
}

CAICurveView::~CAICurveView()
{
    if (CAIDoc* doc = GetDoc(); doc != nullptr && doc->m_hCurveWnd.load() == m_hWnd.get())
        doc->m_hCurveWnd.store(0);
}

CAIDoc* CAICurveView::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }

void CAICurveView::OnInitialUpdate()
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    doc->m_hCurveWnd.store(m_hWnd.get());
    bool unset = true;
    for (QRgb c : doc->m_TraceColor)
        unset = unset && c == 0;
    for (QRgb c : doc->m_CursorColor)
        unset = unset && c == 0;
    if (unset) {
        for (int i = 0; i < kLiveStrips; ++i)
            doc->m_TraceColor[i] = DefaultTraceRgb(i);
        for (int k = 0; k < 3; ++k)
            doc->m_CursorColor[k] = DefaultCursorRgb(k);
    }
    RecalcLayout();
    RedrawAll();
    SetScrollSizes(doc->m_nSweepLength + 150);
    viewport()->setCursor(Qt::CrossCursor);
    for (int i = 0; i < kLiveStrips; ++i) {
        RangeInfo info{};
        const uint32_t code = doc->m_Param.Range[i];
        if (MDQ4170_AI_GetRangeInfo(theApp.m_hDevice, code, &info) == 0)
            continue;   // the channel keeps its previous record
        SetChannelRange(i, code, info);
        doc->m_RangeMin[i] = info.RangeMin;
        doc->m_CodeStep[i] = info.CodeStep;
    }
    m_bRangesLoaded = true;
    m_bInitialized = true;
}

void CAICurveView::SetChannelRange(int channel, uint32_t rangeCode, const RangeInfo& info)
{
    if (channel < 0 || channel >= kLiveStrips)
        return;
    m_scale[channel] = ScaleFromRange(rangeCode, info);
    m_nRangeCode[channel] = int(rangeCode);
    RecalcLayout();
    RedrawAll();
}

void CAICurveView::RecalcLayout()
{
    if (!m_bLayoutReady)
        return;
    const QRect vr = viewport()->rect();
    const Layout next = ComputeLayout(vr.width(), vr.height(), kLiveStrips);
    m_layout = next;
    m_nCursorX[0] = 80;
    m_nCursorX[1] = next.client.right - 30;
    m_nLastMouseX = next.client.right - 30;
    horizontalScrollBar()->setPageStep(next.plotWidth);
    if (CAIDoc* doc = GetDoc())
        doc->m_nPlotWidth = next.plotWidth;
    if (next.plotHeight <= 0)
        return;   // the strips keep their last geometry
    // The live document is always tiled: one arrangement.
    m_nInner = InnerHeight(next.plotHeight, kLiveStrips);
    ComputeStripGeometry(next, kLiveStrips, m_scale, m_geom);
}

void CAICurveView::UpdateVisibleCount()
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    m_nVisibleCount = VisibleCount(m_layout.plotWidth, doc->m_nScrollPos, doc->m_nMaxScrollPos, kPointCapacity);
    doc->m_nVisibleCount.store(m_nVisibleCount);
}

void CAICurveView::ComputePoints()
{
    std::fill(std::begin(m_nPoints), std::end(m_nPoints), 0);
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    int k = doc->m_nSweepPos.load(std::memory_order_acquire);
    k = std::clamp(k, 0, std::min({doc->m_nSweepLength, int(CAIDoc::kRingSize), kPointCapacity}));
    if (k == 0)
        return;
    const int x0 = m_layout.plot.left - doc->m_nScrollPos;
    for (int i = 0; i < kLiveStrips; ++i) {
        if (!IsChannelEnabled(doc->m_Param, uint32_t(i)))
            continue;
        m_nPoints[i] = StripPoints(doc->m_CodeRing[i], k, x0, m_scale[i], m_geom[i], m_nInner, m_points[i].get(),
                                   kPointCapacity);
    }
}

void CAICurveView::ComputeEnlarged()
{
    m_nEnlarged = 0;
    CAIDoc* doc = GetDoc();
    if (doc == nullptr || m_bAllStrips || !doc->m_bTile)
        return;
    const int a = std::clamp(doc->m_nSelChannel, 0, kLiveStrips - 1);
    if (!IsChannelEnabled(doc->m_Param, uint32_t(a)))
        return;   // a channel outside the enabled run has no trace, enlarged or not
    int k = doc->m_nSweepPos.load(std::memory_order_acquire);
    k = std::clamp(k, 0, std::min({doc->m_nSweepLength, int(CAIDoc::kRingSize), kPointCapacity}));
    m_nEnlarged = EnlargedPoints(doc->m_CodeRing[a], k, m_layout.plot.left - doc->m_nScrollPos, m_scale[a], m_layout,
                                 false, m_enlarged.get(), kPointCapacity);
}

void CAICurveView::RedrawAll()
{
    m_bFullRedraw = true;
    ComputePoints();
    viewport()->update();
}

void CAICurveView::ApplyDisplayMode()
{
    RecalcLayout();
    RedrawAll();
}

void CAICurveView::ScrollToPosition(int position, bool redraw)
{
    if (CAIDoc* doc = GetDoc())
        doc->m_nScrollPos = position;
    UpdateVisibleCount();
    SetScrollBarPos(position);
    if (redraw)
        RedrawAll();
}

void CAICurveView::SetScrollSizes(int total)
{
    QScrollBar* bar = horizontalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(total, 0));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(m_layout.plotWidth, 1));
}

void CAICurveView::PublishCursorIndices()
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr || !m_bInitialized)
        return;
    for (int k = 0; k < 2; ++k) {
        m_nCursorIndex[k] = CursorIndex(m_nCursorX[k], m_layout.plot.left, doc->m_nScrollPos);
        doc->m_nCursorIndex[k] = m_nCursorIndex[k];
    }
}

bool CAICurveView::event(QEvent* e)
{
    if (e->type() == MsgType(WM_CURVE_UPDATE)) {
        UpdateVisibleCount();
        RedrawAll();
        return true;
    }
    return QAbstractScrollArea::event(e);
}

void CAICurveView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    m_painter.DropLayers();
    // The flag goes up before the layout so that the first size event lays out even when
    // the initial update ran before the view was shown.
    const bool wasReady = m_bLayoutReady;
    m_bLayoutReady = true;
    RecalcLayout();
    if (m_bRangesLoaded)
        UpdateVisibleCount();
    m_bFullRedraw = true;
    if (wasReady) {
        ComputePoints();
        viewport()->update();
    }
    PublishCursorIndices();
}

void CAICurveView::scrollContentsBy(int, int)
{
    // The view paints its whole client from the position; nothing is moved.
}

void CAICurveView::FillScene(CurveScene& s)
{
    CAIDoc* doc = GetDoc();
    static const QRgb kNoColors[kLiveStrips]{};
    s.layout = m_layout;
    s.strips = kLiveStrips;
    s.scales = m_scale;
    s.geoms = m_geom;
    s.inner = m_nInner;
    s.channelNo = m_nChannelNo;
    s.colors = doc != nullptr ? doc->m_TraceColor : kNoColors;
    s.history = false;
    s.tiled = true;   // the live window has no overlay arrangement
    s.allStrips = m_bAllStrips;
    s.selected = doc != nullptr ? std::clamp(doc->m_nSelChannel, 0, kLiveStrips - 1) : 0;
    s.position = doc != nullptr ? doc->m_nScrollPos : 0;
    s.extent = doc != nullptr ? doc->m_nSweepLength : 800;
    s.bandWidth = s.extent;
    static thread_local const QPoint* pts[kLiveStrips];
    for (int i = 0; i < kLiveStrips; ++i)
        pts[i] = m_points[i].get();
    s.points = pts;
    s.pointCount = m_nPoints;
    s.enlarged = m_enlarged.get();
    s.enlargedCount = m_nEnlarged;
    s.cursorCount = 2;
    s.cursorX[0] = m_nCursorX[0];
    s.cursorX[1] = m_nCursorX[1];
    if (doc != nullptr) {
        s.cursorColor[0] = doc->m_CursorColor[0];
        s.cursorColor[1] = doc->m_CursorColor[1];
    }
}

void CAICurveView::paintEvent(QPaintEvent*)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    QPainter p(viewport());
    m_painter.Paint(p, scene, m_bFullRedraw, viewport()->devicePixelRatioF());
    m_bFullRedraw = false;
}

} // namespace nuv
