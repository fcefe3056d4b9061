// Documents and views of the child windows.
#pragma once

#include "framework/cmdtarget.h"

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace nuv {

class CChildFrame;
class CView;

// A document holds the data of one child window; its frame owns it.
class CDocument : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    explicit CDocument(QObject* parent = nullptr);
    ~CDocument() override;

    const QString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);

    CChildFrame* GetFrame() const { return m_pFrame; }
    void SetFrame(CChildFrame* frame) { m_pFrame = frame; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    const QList<CView*>& GetViews() const { return m_views; }
    // Calls OnUpdate of every view but `sender`.
    void UpdateAllViews(CView* sender, int hint = 0);

    // The close step, run before the window goes (stop work, store state). Derived
    // documents call the base last.
    virtual void OnCloseDocument();

    // Handles kIdFileClose: closes the document and its window.
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;

signals:
    void titleChanged(const QString& title);

private:
    QString m_strTitle;
    CChildFrame* m_pFrame = nullptr;
    QList<CView*> m_views;
};

// Mixin of every view and panel: the widget class derives from a Qt widget and CView.
class CView : public CCmdTarget {
public:
    virtual ~CView();
    CDocument* GetDocument() const { return m_pDocument; }
    // Attaches the view to a document (and registers it in the document's view list).
    void SetDocument(CDocument* doc);
    virtual void OnInitialUpdate() {}
    virtual void OnUpdate(CView* sender, int hint) {}
    virtual QWidget* GetWidget() = 0;

protected:
    CDocument* m_pDocument = nullptr;
};

} // namespace nuv
