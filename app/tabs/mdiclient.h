// The client area of the main window: hosts the child windows, feeds the window-tab bar
// and paints the background with the greeting.
#pragma once

#include <QColor>
#include <QMdiArea>
#include <QSize>

namespace nuv {

class CTabCtrlBarDoc;

class CMdiClient : public QMdiArea {
    Q_OBJECT
public:
    explicit CMdiClient(QWidget* parent = nullptr);

    void SetTabBar(CTabCtrlBarDoc* bar) { m_pTabBar = bar; }
    // Creates the sub-window of `child` (shown maximized) and its tab.
    QMdiSubWindow* AddChild(QWidget* child);
    // Shows `sub` maximized: without a frame, filling the client area (it stays so while the
    // client area changes size).
    void MaximizeChild(QMdiSubWindow* sub);
    bool IsMaximizedChild(const QMdiSubWindow* sub) const;
    // Gives `sub` an ordinary frame again (cascading and tiling).
    void RestoreChild(QMdiSubWindow* sub);
    // The toolkit maximized `sub` (its maximize button, a double click on its title): one
    // caption and one set of window buttons only, so it is shown maximized our way.
    void TakeOverMaximize(QMdiSubWindow* sub);

    QColor m_crBack;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    CTabCtrlBarDoc* m_pTabBar = nullptr;
    QSize m_szLast{0, 0};
};

} // namespace nuv
