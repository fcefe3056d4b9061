// The window-tab bar of the main window: one tab per child window, drawn by the program
// (current tab blue and centred, the others dark grey at the bottom, the image showing the
// window's kind).
#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QTabBar>
#include <QWidget>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace nuv {

class CTabCtrlDoc : public QTabBar {
    Q_OBJECT
public:
    explicit CTabCtrlDoc(QWidget* parent = nullptr);

    void SetImages(const QList<QPixmap>& images) { m_images = images; }
    QMdiSubWindow* TabWindow(int i) const;
    int TabImage(int i) const;
    // Text the tab draws (its first 63 characters).
    QString DrawnText(int i) const;

    QColor m_crSelected{0, 0, 255};
    QColor m_crNormal{50, 50, 50};

signals:
    // Right button pressed on the current tab, at `global`.
    void contextMenuOnCurrent(QPoint global);

protected:
    void paintEvent(QPaintEvent* e) override;
    QSize tabSizeHint(int index) const override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QList<QPixmap> m_images;
};

class CTabCtrlBarDoc : public QWidget {
    Q_OBJECT
public:
    explicit CTabCtrlBarDoc(QWidget* parent = nullptr);

    CTabCtrlDoc* TabCtrl() const { return m_pTabCtrl; }
    void SetMdiArea(QMdiArea* area) { m_pMdiArea = area; }

    // A child window was created / is going.
    void AddTab(QMdiSubWindow* sub);
    void RemoveTab(QMdiSubWindow* sub);
    // Idle refresh: tab texts follow the captions, the selection follows the active child.
    void RefreshTabs();
    int FindTab(const QMdiSubWindow* sub) const;

signals:
    void contextMenuRequested(QPoint global);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    CTabCtrlDoc* m_pTabCtrl;
    QMdiArea* m_pMdiArea = nullptr;
    bool m_bRefreshing = false;
};

} // namespace nuv
