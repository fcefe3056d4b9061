// Placeholder bodies until the frames are built.
#include "aifrm.h"
#include "aihistfrm.h"
#include "diofrm.h"
#include "mainfrm.h"
#include "childfrm.h"
#include "document.h"

#include "aidoc.h"
#include "aihistdoc.h"
#include "diodoc.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace nuv {

CAIFrm::CAIFrm(CAIDoc* doc, QWidget* parent) : CChildFrame(doc, parent) {}
CAIFrm::~CAIFrm() = default;
bool CAIFrm::Create() { return true; }
bool CAIFrm::OnCmdMsg(int, CCmdUI*) { return false; }
CAIDoc* CAIFrm::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }
void CAIFrm::ShowStatusInfoBar(bool) {}
bool CAIFrm::IsStatusInfoBarVisible() const { return false; }
void CAIFrm::SetStatusField(int, const QString&) {}
QString CAIFrm::StatusField(int) const { return {}; }
void CAIFrm::SelectParamTab(int) {}
bool CAIFrm::event(QEvent* e) { return CChildFrame::event(e); }

CAIHistFrm::CAIHistFrm(CAIHistDoc* doc, QWidget* parent) : CChildFrame(doc, parent) {}
CAIHistFrm::~CAIHistFrm() = default;
bool CAIHistFrm::Create() { return true; }
bool CAIHistFrm::OnCmdMsg(int, CCmdUI*) { return false; }
CAIHistDoc* CAIHistFrm::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }
void CAIHistFrm::SelectParamTab(int) {}

CDIOFrm::CDIOFrm(CDIODoc* doc, QWidget* parent) : CChildFrame(doc, parent) {}
CDIOFrm::~CDIOFrm() = default;
bool CDIOFrm::Create() { return true; }

CMainFrm::CMainFrm(QWidget* parent) : QMainWindow(parent), m_pMdiArea(new QMdiArea(this)) { setCentralWidget(m_pMdiArea); }
CMainFrm::~CMainFrm() = default;
void CMainFrm::AddChildFrame(CChildFrame* frame) { m_pMdiArea->addSubWindow(frame)->showMaximized(); }
CChildFrame* CMainFrm::ActiveChildFrame() const
{
    auto* sub = m_pMdiArea->activeSubWindow();
    return sub ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}
bool CMainFrm::RouteCmdMsg(int, CCmdUI*) { return false; }

} // namespace nuv
