// Placeholder bodies until the views are built.
#include "aidigitview.h"
#include "aidoc.h"
#include "aihistdoc.h"

namespace nuv {
CAIDigitView::CAIDigitView(QWidget* parent) : QTableView(parent) {}
CAIDigitView::~CAIDigitView() = default;
CAIDoc* CAIDigitView::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }
void CAIDigitView::OnInitialUpdate() {}
bool CAIDigitView::OnCmdMsg(int, CCmdUI*) { return false; }
} // namespace nuv
