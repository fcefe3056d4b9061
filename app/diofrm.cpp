#include "diofrm.h"

#include "diodoc.h"
#include "diovw.h"
#include "nuvapp.h"
#include "resource.h"

namespace nuv {

CDIOFrm::CDIOFrm(CDIODoc* doc, QWidget* parent) : CChildFrame(doc, parent)
{
    setObjectName(QString::number(IDR_DIOTYPE));
    theApp.m_pDIOFrame = this;
}

CDIOFrm::~CDIOFrm()
{
    if (theApp.m_pDIOFrame == this)
        theApp.m_pDIOFrame = nullptr;
}

int CDIOFrm::MenuId() const { return IDR_DIOTYPE; }

bool CDIOFrm::Create()
{
    if (m_pDocument == nullptr)
        return false;
    m_pView = new CDIOVw(this);
    m_pView->SetDocument(m_pDocument);
    setCentralWidget(m_pView);
    SetActiveView(m_pView);
    theApp.m_pDIOFrame = this;
    return true;
}

} // namespace nuv
