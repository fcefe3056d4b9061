#include "framework/childfrm.h"

#include "framework/document.h"
#include "framework/winapp.h"

#include <QApplication>

#include <QCloseEvent>
#include <QMdiSubWindow>

namespace nuv {

CChildFrame::CChildFrame(CDocument* doc, QWidget* parent) : QMainWindow(parent), m_pDocument(doc)
{
    if (doc != nullptr) {
        doc->setParent(this);
        doc->SetFrame(this);
        setWindowTitle(doc->GetTitle());
        connect(doc, &CDocument::titleChanged, this, [this](const QString& t) {
            setWindowTitle(t);
            if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
                sub->setWindowTitle(t);
        });
    }
}

CChildFrame::~CChildFrame() = default;

CView* CChildFrame::GetActiveView() const
{
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
        if (w == this)
            break;
        if (auto* v = dynamic_cast<CView*>(w); v != nullptr && m_pDocument != nullptr && v->GetDocument() == m_pDocument)
            return v;
        if (w->isWindow() && w->parentWidget() == nullptr)
            return m_pActiveView;
    }
    return m_pActiveView;
}

bool CChildFrame::RouteCmdMsg(int nID, CCmdUI* pUI)
{
    CView* view = GetActiveView();
    if (view != nullptr && view->OnCmdMsg(nID, pUI))
        return true;
    CDocument* doc = view != nullptr && view->GetDocument() != nullptr ? view->GetDocument() : m_pDocument;
    if (doc != nullptr && doc->OnCmdMsg(nID, pUI))
        return true;
    if (OnCmdMsg(nID, pUI))
        return true;
    if (CMainWndBase* main = AfxGetMainWnd(); main != nullptr && main->OnCmdMsg(nID, pUI))
        return true;
    return AfxGetApp() != nullptr && AfxGetApp()->OnCmdMsg(nID, pUI);
}

bool CChildFrame::ExecuteCmd(int nID)
{
    CCmdUI ui(nID);
    if (!RouteCmdMsg(nID, &ui) || !ui.m_bEnabled)
        return false;
    return RouteCmdMsg(nID, nullptr);
}

void CChildFrame::InitialUpdateFrame()
{
    if (m_bInitialUpdateDone || m_pDocument == nullptr)
        return;
    m_bInitialUpdateDone = true;
    const QList<CView*> views = m_pDocument->GetViews();
    for (CView* v : views)
        v->OnInitialUpdate();
}

void CChildFrame::CloseFrame()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void CChildFrame::closeEvent(QCloseEvent* e)
{
    if (!m_bClosing) {
        m_bClosing = true;
        if (m_pDocument != nullptr)
            m_pDocument->OnCloseDocument();
    }
    QMainWindow::closeEvent(e);
}

} // namespace nuv
