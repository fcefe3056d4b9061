// The live waveform view: one strip per channel, the current 800-sample sweep.
#pragma once

#include "curvegeom.h"
#include "curveinput.h"
#include "curvepaint.h"
#include "document.h"
#include "mdq4170.h"
#include "wndmsg.h"

#include <QAbstractScrollArea>
#include <memory>

namespace nuv {

class CAIDoc;

class CAICurveView : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CAICurveView(QWidget* parent = nullptr);
    ~CAICurveView() override;
    QWidget* GetWidget() override { return this; }
    CAIDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void SetChannelRange(int channel, uint32_t rangeCode, const RangeInfo& info);
    void RecalcLayout();
    void UpdateVisibleCount();
    void ComputePoints();
    void RedrawAll();
    void ApplyDisplayMode();
    // The document already holds the new position.
    void ScrollToPosition(int position, bool redraw);
    // Scroll range 0..total (live: sweep length + 150).
    void SetScrollSizes(int total);
    void PublishCursorIndices();
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

    // State read by the owner's checks and the painter.
    const curve::Layout& GetLayout() const { return m_layout; }
    const curve::StripGeom& GetStripGeom(int channel) const { return m_geom[channel]; }
    int GetInnerHeight() const { return m_nInner; }
    int GetPointCount(int channel) const { return m_nPoints[channel]; }
    const QPoint* GetPoints(int channel) const { return m_points[channel].get(); }
    int GetVisibleCount() const { return m_nVisibleCount; }
    int GetCursorX(int k) const { return m_nCursorX[k]; }
    void SetCursorX(int k, int x) { m_nCursorX[k] = x; }
    int GetDragMode() const { return m_nDragMode; }
    int GetPointerShape() const { return m_nShape; }
    bool IsAllStrips() const { return m_bAllStrips; }
    bool IsFullRedrawPending() const { return m_bFullRedraw; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

    void OnScrollAction(int action);
    void ScrollFollowUp(int position);
    void SetScrollBarPos(int position);
    void ApplyShape(int shape);
    void FillScene(CurveScene& scene);
    void ComputeEnlarged();

    CWndHandle m_hWnd{this};

    curve::Layout m_layout;
    int m_nInner = 0;
    curve::Scale m_scale[curve::kLiveStrips];
    curve::StripGeom m_geom[curve::kLiveStrips];
    int m_nRangeCode[curve::kLiveStrips]{};
    int m_nChannelNo[curve::kLiveStrips]{0, 1, 2, 3, 4, 5, 6, 7};
    std::unique_ptr<QPoint[]> m_points[curve::kLiveStrips];
    int m_nPoints[curve::kLiveStrips]{};
    std::unique_ptr<QPoint[]> m_enlarged;
    int m_nEnlarged = 0;
    int m_nVisibleCount = 1;
    bool m_bAllStrips = true;
    bool m_bFullRedraw = true;
    bool m_bLayoutReady = false;
    bool m_bRangesLoaded = false;
    bool m_bInitialized = false;

    // interaction
    int m_nCursorX[2]{0, 0};
    int m_nCursorIndex[2]{0, 0};
    int m_nDragMode = curve::kDragNone;
    int m_nShape = curve::kShapeInitial;
    bool m_bButtonDown = false;
    bool m_bPairDrag = false;
    int m_nPressX = 0;
    int m_nPressX1 = 0;
    int m_nPressX2 = 0;
    int m_nLastMouseX = 0;
    curve::Range1 m_confine;

    CWheelNotches m_wheel;

    CCurvePainter m_painter;
};

} // namespace nuv
