// Placeholder bodies until the views are built.
#include "aidigitvw.h"
#include "aidoc.h"
#include "aihistdoc.h"

namespace nuv {
CAIDigitVw::CAIDigitVw(QWidget* parent) : QAbstractScrollArea(parent) {}
CAIDigitVw::~CAIDigitVw() = default;
CAIHistDoc* CAIDigitVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }
void CAIDigitVw::OnInitialUpdate() {}
void CAIDigitVw::OnUpdate(CView*, int) {}
bool CAIDigitVw::OnCmdMsg(int, CCmdUI*) { return false; }
void CAIDigitVw::SetScrollSizes(int) {}
void CAIDigitVw::SetPosition(int) {}
} // namespace nuv
