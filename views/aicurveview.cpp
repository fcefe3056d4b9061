#include "views/aicurveview.h"

#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"

#include <algorithm>

namespace nuv {

using namespace curve;

static_assert(kLiveStrips <= kMaxStrips, "the live strips fit the shared buffers");

CAICurveView::CAICurveView(QWidget* parent) : CCurveViewBase(parent) {}

CAICurveView::~CAICurveView() = default;

CAIDoc* CAICurveView::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }

void CAICurveView::OnInitialUpdate()
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    InitialUpdate(doc->m_nSweepLength + 150, doc->m_Param.Range, doc->m_hDevice);
}

void CAICurveView::OnUpdate(CView* sender, int hint)
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    if (const int k = RangeHintChannel(hint); k >= 0) {
        SetChannelRange(k, doc->m_Param.Range[k], doc->m_RangeInfo[k]);
        viewport()->update();
        return;
    }
    switch (hint) {
    case kHintSweepReset:
        SetScrollSizes(doc->m_nSweepLength + 150);
        ScrollToPosition(0, true);
        ApplyDisplayMode();
        break;
    case kHintSweepCleared: viewport()->update(); break;
    case kHintLayout:
        RecalcLayout();
        RedrawAll();
        break;
    case kHintScrollHome: ScrollToPosition(0, true); break;
    default: break;
    }
}

void CAICurveView::ApplyDeviceRange(int strip, uint32_t rangeCode, const RangeInfo& info)
{
    SetChannelRange(strip, rangeCode, info);
    GetDoc()->m_RangeInfo[strip] = info;
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

void CAICurveView::UpdateVisibleCount() { RefreshVisibleCount(); }

bool CAICurveView::event(QEvent* e)
{
    if (e->type() == MsgType(WM_CURVE_UPDATE)) {
        UpdateVisibleCount();
        RedrawReadings();
        return true;
    }
    return CCurveViewBase::event(e);
}

bool CAICurveView::HasDoc() const { return GetDoc() != nullptr; }
int CAICurveView::Position() const { return GetDoc()->m_nScrollPos; }
void CAICurveView::SetPosition(int position) { GetDoc()->m_nScrollPos = position; }
int CAICurveView::MaxPosition() const { return GetDoc()->m_nMaxScrollPos; }
int CAICurveView::SelectedStrip() const { return GetDoc()->m_nSelChannel; }
void CAICurveView::SetSelectedStrip(int strip) { GetDoc()->m_nSelChannel = strip; }

bool CAICurveView::Tiled() const
{
    const CAIDoc* doc = GetDoc();
    return doc != nullptr && doc->m_bTile;
}

QRgb* CAICurveView::TraceColors() const
{
    CAIDoc* doc = GetDoc();
    return doc != nullptr ? doc->m_TraceColor : nullptr;
}

QRgb* CAICurveView::CursorColors() const
{
    CAIDoc* doc = GetDoc();
    return doc != nullptr ? doc->m_CursorColor : nullptr;
}

void CAICurveView::StorePlotWidth(int width)
{
    if (CAIDoc* doc = GetDoc())
        doc->m_nPlotWidth = width;
}

void CAICurveView::StoreVisibleCount(int count) { GetDoc()->m_nVisibleCount.store(count); }
void CAICurveView::StoreCursorIndex(int k, int index) { GetDoc()->m_nCursorIndex[k] = index; }

bool CAICurveView::KeepsStripGeometry() const
{
    return false;   // the live document is always tiled: one arrangement
}

bool CAICurveView::DataWindow(int& count, int& x0) const
{
    const CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return false;
    const int k = doc->m_nSweepPos.load(std::memory_order_acquire);
    count = std::clamp(k, 0, std::min({doc->m_nSweepLength, int(CAIDoc::kRingSize), kPointCapacity}));
    x0 = m_layout.plot.left - doc->m_nScrollPos;
    return count != 0;
}

const uint16_t* CAICurveView::StripCodes(int strip) const
{
    // A channel outside the enabled run has no trace, enlarged or not.
    const CAIDoc* doc = GetDoc();
    return IsChannelEnabled(doc->m_Param, uint32_t(strip)) ? doc->m_CodeRing[strip] : nullptr;
}

void CAICurveView::DescribeScene(CurveScene& s) const
{
    const CAIDoc* doc = GetDoc();
    s.strips = kLiveStrips;
    s.tiled = true;   // the live window has no overlay arrangement
    s.extent = doc != nullptr ? doc->m_nSweepLength : 800;
    s.bandWidth = s.extent;
}

} // namespace nuv
