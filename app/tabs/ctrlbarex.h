// A docking bar of a child window that remembers a size per kind of side and is sized by
// dragging the 6-pixel strip along its inner edge. Floating, it stays within 128 x 128 and
// 1024 x 768.
#pragma once

#include "app/tabs/barsizing.h"

#include <QDockWidget>

class QMainWindow;
class QRubberBand;

namespace nuv {

class CCtrlBarEx : public QDockWidget {
    Q_OBJECT
public:
    explicit CCtrlBarEx(QMainWindow* frame);
    ~CCtrlBarEx() override;

    // Title, the size for every docking state and the control id (the objectName).
    bool Create(const QString& title, int cx, int cy, int nID);

    // The side the bar sits on now.
    BarSide Side() const;
    // Stored size across the bar for `side` (cy for top/bottom, cx for left/right).
    int StoredSize(BarSide side) const;
    // Sizes the bar to what it stored for its current side.
    void ApplyStoredSize();

    // The area inside the sizing strip where derived bars put their content.
    QWidget* Client() const { return m_pClient; }
    QRect EdgeRectInBar() const;

    // Sizing drag, positions in the bar's own coordinates.
    void StartTracking(QPoint pos);
    void MoveTracking(QPoint pos);
    void StopTracking(bool accept);
    bool IsTracking() const { return m_bTracking; }

    // Gives each direct child control with a numeric objectName the enabled state that the
    // frame's command routing reports for it.
    virtual void UpdateCmdUI();

    // Called when the client area changed size.
    virtual void OnSizeClient(int w, int h) {}

    QSize m_szMin{BarLimits::kMinWidth, BarLimits::kMinHeight};
    QSize m_szMax{BarLimits::kMaxWidth, BarLimits::kMaxHeight};
    QSize m_szHorz{600, 800};
    QSize m_szVert{600, 600};
    QSize m_szFloat{200, 200};
    int m_cxEdge = BarLimits::kEdge;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    QMainWindow* Frame() const { return m_pFrame; }

private:
    void OnSideChanged();
    void ApplyLimits();
    QRect TrackingRectInFrame() const;

    QMainWindow* m_pFrame;
    QWidget* m_pBody;
    QWidget* m_pClient;
    QRubberBand* m_pTracker = nullptr;
    BarSide m_nSide = BarSide::None;
    bool m_bTracking = false;
    QPoint m_ptStart;
    int m_nMoved = 0;   // tracking rectangle's centre offset along the sizing axis
};

} // namespace nuv
