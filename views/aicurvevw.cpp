#include "aicurvevw.h"

#include "aidigitvw.h"
#include "aihistdoc.h"
#include "mainfrm.h"
#include "nuvapp.h"
#include "resource.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace nuv {

using namespace curve;

CAICurveVw::CAICurveVw(QWidget* parent) : QAbstractScrollArea(parent)
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
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CAICurveVw::OnScrollAction);
}

CAICurveVw::~CAICurveVw() = default;

CAIHistDoc* CAICurveVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }

int CAICurveVw::StripCount() const
{
    const CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return kMaxStrips;
    return std::clamp(int(doc->m_nChannelCount), 1, kMaxStrips);
}

void CAICurveVw::OnInitialUpdate()
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    bool unset = true;
    for (QRgb c : doc->m_TraceColor)
        unset = unset && c == 0;
    for (QRgb c : doc->m_CursorColor)
        unset = unset && c == 0;
    if (unset) {
        for (int i = 0; i < kMaxStrips; ++i)
            doc->m_TraceColor[i] = DefaultTraceRgb(i);
        for (int k = 0; k < 3; ++k)
            doc->m_CursorColor[k] = DefaultCursorRgb(k);
    }
    RecalcLayout();
    RedrawAll();
    SetScrollSizes(doc->m_nMaxPosition);
    viewport()->setCursor(Qt::CrossCursor);
    if (doc->m_bOpen == 0) {
        // An opened file has handed its own records to SetChannelRange already.
        for (int i = 0; i < kMaxStrips; ++i) {
            RangeInfo info{};
            const uint32_t code = doc->m_Param.Range[i];
            if (MDQ4170_AI_GetRangeInfo(theApp.m_hDevice, code, &info) == 0)
                continue;
            SetChannelRange(i, i, code, info);
            doc->m_dOffset[i] = info.RangeMin;
            doc->m_dGain[i] = info.CodeStep;
        }
    }
    m_bRangesLoaded = true;
    m_bInitialized = true;
}

void CAICurveVw::SetChannelRange(int channel, int slot, uint32_t rangeCode, const RangeInfo& info)
{
    if (slot < 0 || slot >= kMaxStrips)
        return;
    // Drawing follows the code the record itself describes (its first word).
    m_scale[slot] = ScaleFromRange(info.RangeCode, info);
    m_nRangeCode[slot] = int(rangeCode);
    m_nChannelNo[slot] = channel;
    RecalcLayout();
    RedrawAll();
}

void CAICurveVw::RecalcLayout()
{
    if (!m_bLayoutReady)
        return;
    const QRect vr = viewport()->rect();
    const int n = StripCount();
    m_layout = ComputeLayout(vr.width(), vr.height(), n);
    m_nCursorX[0] = 80;
    m_nCursorX[1] = m_layout.client.right - 30;
    m_nLastMouseX = m_layout.client.right - 30;
    horizontalScrollBar()->setPageStep(m_layout.plotWidth);
    CAIHistDoc* doc = GetDoc();
    if (doc != nullptr)
        doc->m_nWindowLength = uint32_t(m_layout.plotWidth);
    // Overlay keeps the strips' last geometry.
    if (m_layout.plotHeight <= 0 || doc == nullptr || !doc->m_bTile)
        return;
    m_nInner = InnerHeight(m_layout.plotHeight, n);
    ComputeStripGeometry(m_layout, n, m_scale, m_geom);
}

int CAICurveVw::UpdateVisibleCount()
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return m_nVisibleCount;
    m_nVisibleCount = VisibleCount(m_layout.plotWidth, doc->m_nPosition, doc->m_nMaxPosition, kPointCapacity);
    doc->m_nWindowLength = uint32_t(m_nVisibleCount);
    return m_nVisibleCount;
}

void CAICurveVw::ComputePoints()
{
    std::fill(std::begin(m_nPoints), std::end(m_nPoints), 0);
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || !doc->m_bOpen || doc->m_nChannelCount == 0)
        return;
    const int n = StripCount();
    const int count = std::min(m_nVisibleCount, int(CAIHistDoc::kWindowScans));
    for (int i = 0; i < n; ++i)
        m_nPoints[i] = StripPoints(doc->m_Window[i], count, m_layout.plot.left, m_scale[i], m_geom[i], m_nInner,
                                   m_points[i].get(), kPointCapacity);
}

void CAICurveVw::ComputeEnlarged()
{
    m_nEnlarged = 0;
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || m_bAllStrips || !doc->m_bTile || !doc->m_bOpen || doc->m_nChannelCount == 0)
        return;
    const int a = std::clamp(doc->m_nSelSlot, 0, StripCount() - 1);
    const int count = std::min(m_nVisibleCount, int(CAIHistDoc::kWindowScans));
    m_nEnlarged = EnlargedPoints(doc->m_Window[a], count, m_layout.plot.left, m_scale[a], m_layout, true,
                                 m_enlarged.get(), kPointCapacity);
}

void CAICurveVw::RedrawAll()
{
    m_bFullRedraw = true;
    ComputePoints();
    viewport()->update();
}

void CAICurveVw::ApplyDisplayMode()
{
    RecalcLayout();
    RedrawAll();
}

void CAICurveVw::Reload()
{
    UpdateVisibleCount();
    if (CAIHistDoc* doc = GetDoc())
        doc->ReloadWindow();   // asks this view for the window length again
}

void CAICurveVw::ScrollToPosition(int position, bool redraw)
{
    if (CAIHistDoc* doc = GetDoc())
        doc->m_nPosition = position;
    Reload();
    SetScrollBarPos(position);
    if (redraw)
        RedrawAll();
}

void CAICurveVw::SetScrollSizes(int maxPosition)
{
    QScrollBar* bar = horizontalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(maxPosition, 0));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(m_layout.plotWidth, 1));
}

void CAICurveVw::PublishCursorIndices()
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || !m_bInitialized)
        return;
    for (int k = 0; k < 2; ++k) {
        m_nCursorIndex[k] = CursorIndex(m_nCursorX[k], m_layout.plot.left, doc->m_nPosition);
        doc->m_nCursorScan[k] = m_nCursorIndex[k];
    }
    TellDigitView(false);
}

void CAICurveVw::TellDigitView(bool move)
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || doc->m_pDigitVw == nullptr)
        return;
    if (move)
        doc->m_pDigitVw->SetPosition(doc->m_nPosition);
    else
        doc->m_pDigitVw->viewport()->update();
}

bool CAICurveVw::BuildContextMenu(QMenu& menu)
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || !doc->m_bOpen)
        return false;
    menu.setTitle(QStringLiteral("显示(波形窗)"));
    QAction* back = menu.addAction(QStringLiteral("返回到采集"));
    back->setData(ID_RETURN_ACQ);
    CCmdUI ui(ID_RETURN_ACQ);
    const bool handled = theApp.m_pMainWnd != nullptr && theApp.m_pMainWnd->RouteCmdMsg(ID_RETURN_ACQ, &ui);
    back->setEnabled(handled && ui.m_bEnabled);
    return true;
}

void CAICurveVw::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    if (!BuildContextMenu(menu))
        return;
    const QPoint at = e->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(QPoint(5, 5))
                                                                 : e->globalPos();
    QAction* chosen = menu.exec(at);
    if (chosen != nullptr && chosen->isEnabled() && theApp.m_pMainWnd != nullptr)
        theApp.m_pMainWnd->RouteCmdMsg(chosen->data().toInt(), nullptr);
}

void CAICurveVw::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    m_painter.DropLayers();
    const bool wasReady = m_bLayoutReady;
    m_bLayoutReady = true;   // before the layout: the first size event lays out
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

void CAICurveVw::scrollContentsBy(int, int) {}

void CAICurveVw::FillScene(CurveScene& s)
{
    CAIHistDoc* doc = GetDoc();
    static const QRgb kNoColors[kMaxStrips]{};
    const bool open = doc != nullptr && doc->m_bOpen;
    s.layout = m_layout;
    s.strips = open ? std::min(int(doc->m_nChannelCount), kMaxStrips) : StripCount();
    s.scales = m_scale;
    s.geoms = m_geom;
    s.inner = m_nInner;
    s.channelNo = m_nChannelNo;
    s.colors = doc != nullptr ? doc->m_TraceColor : kNoColors;
    s.history = true;
    s.tiled = doc == nullptr || doc->m_bTile;
    s.allStrips = m_bAllStrips;
    s.selected = doc != nullptr ? std::clamp(doc->m_nSelSlot, 0, StripCount() - 1) : 0;
    s.position = doc != nullptr ? doc->m_nPosition : 0;
    s.extent = doc != nullptr ? doc->m_nMaxPosition : 0;
    s.bandWidth = m_nVisibleCount;
    static thread_local const QPoint* pts[kMaxStrips];
    for (int i = 0; i < kMaxStrips; ++i)
        pts[i] = m_points[i].get();
    s.points = pts;
    s.pointCount = m_nPoints;
    s.enlarged = m_enlarged.get();
    s.enlargedCount = m_nEnlarged;
    s.cursorCount = 1;   // cursor 2 is not shown in playback
    s.cursorX[0] = m_nCursorX[0];
    s.cursorX[1] = m_nCursorX[1];
    if (doc != nullptr) {
        s.cursorColor[0] = doc->m_CursorColor[0];
        s.cursorColor[1] = doc->m_CursorColor[1];
    }
}

void CAICurveVw::paintEvent(QPaintEvent*)
{
    ComputeEnlarged();
    CurveScene scene;
    FillScene(scene);
    QPainter p(viewport());
    m_painter.Paint(p, scene, m_bFullRedraw, viewport()->devicePixelRatioF());
    m_bFullRedraw = false;
}

} // namespace nuv
