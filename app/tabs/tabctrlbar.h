// A sizing bar that shows one view per tab (tab control IDC_BAR_TABCTRL, tab k with image k).
#pragma once

#include "app/tabs/ctrlbarex.h"

#include <QList>
#include <QPixmap>

class QTabBar;

namespace nuv {

class CView;

class CTabCtrlBar : public CCtrlBarEx {
    Q_OBJECT
public:
    explicit CTabCtrlBar(QMainWindow* frame);
    ~CTabCtrlBar() override;

    // Makes a view of class T on a new tab labelled `label` (cut to 31 characters); the
    // view's parent is the bar. nullptr when the view could not be added.
    template <class T> T* AddView(const QString& label)
    {
        T* view = new T(Client());
        if (!AddViewObject(label, view)) {
            delete view;
            return nullptr;
        }
        return view;
    }
    bool AddViewObject(const QString& label, CView* view);

    // Makes tab i current; -1 or the current tab change nothing.
    void SetActiveView(int i);
    int ActiveTab() const { return m_nActiveTab; }
    CView* View(int i) const { return i >= 0 && i < m_views.size() ? m_views[i].pView : nullptr; }
    QString Label(int i) const { return i >= 0 && i < m_views.size() ? m_views[i].label : QString(); }
    QTabBar* TabCtrl() const { return m_pTabCtrl; }

    void OnSizeClient(int w, int h) override;

private:
    struct TCB_ITEM {
        CView* pView;
        QString label;
    };
    QList<TCB_ITEM> m_views;
    QList<QPixmap> m_images;
    QTabBar* m_pTabCtrl;
    QWidget* m_pPanel;   // frame drawn under the tabs
    int m_nActiveTab = 0;
};

} // namespace nuv
