// Placeholder bodies until playback is built.
#include "aihistdoc.h"
#include "aihistparamvw.h"

namespace nuv {

CAIHistDoc::CAIHistDoc() {}
CAIHistDoc::~CAIHistDoc() = default;
bool CAIHistDoc::OpenFile(const QString&) { return false; }
void CAIHistDoc::ReloadWindow() {}
void CAIHistDoc::OnCloseDocument() { CDocument::OnCloseDocument(); }
bool CAIHistDoc::OnCmdMsg(int nID, CCmdUI* pUI) { return CDocument::OnCmdMsg(nID, pUI); }

CAIHistParamVw::CAIHistParamVw(QWidget* parent) : QWidget(parent) {}
CAIHistDoc* CAIHistParamVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }
void CAIHistParamVw::OnInitialUpdate() {}
void CAIHistParamVw::ShowParam(const AIParam&) {}
void CAIHistParamVw::EnablePanel(bool) {}

} // namespace nuv
