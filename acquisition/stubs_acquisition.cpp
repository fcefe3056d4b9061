// Placeholder bodies until the live acquisition is built.
#include "aidoc.h"
#include "aiparamvw.h"

namespace nuv {

CAIDoc::CAIDoc() {}
CAIDoc::~CAIDoc() = default;
bool CAIDoc::OnCmdMsg(int nID, CCmdUI* pUI) { return CDocument::OnCmdMsg(nID, pUI); }
void CAIDoc::OnStartAcquisition() {}
void CAIDoc::OnStopAcquisition() {}
void CAIDoc::OnCloseDataFile() {}
void CAIDoc::OnCalibration() {}
void CAIDoc::OnTileDisplay() {}
void CAIDoc::ClearSweep() {}
void CAIDoc::UpdateFileStatus() {}
void CAIDoc::CreateDataFile() {}
void CAIDoc::OnCloseDocument() { CDocument::OnCloseDocument(); }

CAIParamVw::CAIParamVw(QWidget* parent) : QWidget(parent) {}
CAIParamVw::~CAIParamVw() = default;
CAIDoc* CAIParamVw::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }
void CAIParamVw::OnInitialUpdate() {}
void CAIParamVw::ApplyParam(const AIParam&) {}
void CAIParamVw::EnablePanel(bool) {}
void CAIParamVw::SetCJCText(const QString&) {}

} // namespace nuv
