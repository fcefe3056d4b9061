#include "app/diofrm.h"

#include "dio/diodoc.h"
#include "dio/diovw.h"
#include "app/nuvapp.h"
#include "res/resource.h"

#include <QScrollArea>

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
    // In a small window the panel keeps its controls legible and scrolls.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    m_pView = new CDIOVw(scroll);
    m_pView->SetDocument(m_pDocument);
    scroll->setWidget(m_pView);
    setCentralWidget(scroll);
    SetActiveView(m_pView);
    theApp.m_pDIOFrame = this;
    return true;
}

} // namespace nuv
