// Placeholder bodies until the views are built.
#include "aicurveview.h"
#include "aidoc.h"
#include "aihistdoc.h"

namespace nuv {
CAICurveView::CAICurveView(QWidget* parent) : QAbstractScrollArea(parent) {}
CAICurveView::~CAICurveView() = default;
CAIDoc* CAICurveView::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }
void CAICurveView::OnInitialUpdate() {}
void CAICurveView::SetChannelRange(int, uint32_t, const RangeInfo&) {}
void CAICurveView::RecalcLayout() {}
void CAICurveView::UpdateVisibleCount() {}
void CAICurveView::ComputePoints() {}
void CAICurveView::RedrawAll() {}
void CAICurveView::ApplyDisplayMode() {}
void CAICurveView::ScrollToPosition(int, bool) {}
void CAICurveView::SetScrollSizes(int) {}
void CAICurveView::PublishCursorIndices() {}
} // namespace nuv
