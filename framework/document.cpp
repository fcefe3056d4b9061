#include "framework/document.h"

#include "framework/childfrm.h"

namespace nuv {

CDocument::CDocument(QObject* parent) : QObject(parent) {}

CDocument::~CDocument()
{
    // SetDocument(nullptr) removes the view from m_views: walk a copy.
    const QList<CView*> views = m_views;
    for (CView* v : views)
        if (v->GetDocument() == this)
            v->SetDocument(nullptr);
}

void CDocument::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit titleChanged(title);
}

void CDocument::AddView(CView* view)
{
    if (view != nullptr && !m_views.contains(view))
        m_views.append(view);
}

void CDocument::RemoveView(CView* view) { m_views.removeAll(view); }

void CDocument::UpdateAllViews(CView* sender, int hint)
{
    const QList<CView*> views = m_views;
    for (CView* v : views)
        if (v != sender)
            v->OnUpdate(sender, hint);
}

void CDocument::OnCloseDocument() {}

bool CDocument::OnCmdMsg(int nID, CCmdUI* pUI)
{
    if (nID != kIdFileClose)
        return false;
    if (pUI != nullptr) {
        pUI->Enable(true);
        return true;
    }
    if (m_pFrame != nullptr)
        m_pFrame->CloseFrame();
    return true;
}

CView::~CView()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
}

void CView::SetDocument(CDocument* doc)
{
    if (m_pDocument == doc)
        return;
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
    m_pDocument = doc;
    if (doc != nullptr)
        doc->AddView(this);
}

} // namespace nuv
