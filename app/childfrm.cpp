#include "childfrm.h"

#include "document.h"

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
