// Placeholder bodies until the views are built.
#include "aicurvevw.h"
#include "aidoc.h"
#include "aihistdoc.h"

namespace nuv {
CAICurveVw::CAICurveVw(QWidget* parent) : QAbstractScrollArea(parent) {}
CAICurveVw::~CAICurveVw() = default;
CAIHistDoc* CAICurveVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }
void CAICurveVw::OnInitialUpdate() {}
void CAICurveVw::SetChannelRange(int, int, uint32_t, const RangeInfo&) {}
void CAICurveVw::RecalcLayout() {}
int CAICurveVw::UpdateVisibleCount() { return 0; }
void CAICurveVw::ComputePoints() {}
void CAICurveVw::RedrawAll() {}
void CAICurveVw::ApplyDisplayMode() {}
void CAICurveVw::ScrollToPosition(int, bool) {}
void CAICurveVw::SetScrollSizes(int) {}
void CAICurveVw::PublishCursorIndices() {}
} // namespace nuv
