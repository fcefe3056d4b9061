// The history waveform view: one strip per file channel, the window loaded at the
// history document's position.
#pragma once

#include "curvegeom.h"
#include "curveinput.h"
#include "curvepaint.h"
#include "document.h"
#include "mdq4170.h"

#include <QAbstractScrollArea>
#include <memory>

class QMenu;

namespace nuv {

class CAIHistDoc;

class CAICurveVw : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CAICurveVw(QWidget* parent = nullptr);
    ~CAICurveVw() override;
    QWidget* GetWidget() override { return this; }
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    // Slot `slot` shows device channel `channel` with this range.
    void SetChannelRange(int channel, int slot, uint32_t rangeCode, const RangeInfo& info);
    void RecalcLayout();
    // Window length the document must load; also stored in the document.
    int UpdateVisibleCount();
    void ComputePoints();
    void RedrawAll();
    void ApplyDisplayMode();
    // The document already holds the new position: reload its window, set the bar, redraw.
    void ScrollToPosition(int position, bool redraw);
    // Scroll range 0..maxPosition.
    void SetScrollSizes(int maxPosition);
    void PublishCursorIndices();

    // Fills the context menu ("显示(波形窗)" with 32796); false while no file is loaded.
    bool BuildContextMenu(QMenu& menu);

    // State read by the owner's checks.
    const curve::Layout& GetLayout() const { return m_layout; }
    const curve::StripGeom& GetStripGeom(int slot) const { return m_geom[slot]; }
    int GetInnerHeight() const { return m_nInner; }
    int GetPointCount(int slot) const { return m_nPoints[slot]; }
    const QPoint* GetPoints(int slot) const { return m_points[slot].get(); }
    int GetVisibleCount() const { return m_nVisibleCount; }
    int GetCursorX(int k) const { return m_nCursorX[k]; }
    void SetCursorX(int k, int x) { m_nCursorX[k] = x; }
    int GetDragMode() const { return m_nDragMode; }
    bool IsAllStrips() const { return m_bAllStrips; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

    int StripCount() const;
    void OnScrollAction(int action);
    void ScrollFollowUp(int position);
    void Reload();
    void SetScrollBarPos(int position);
    void ApplyShape(int shape);
    void TellDigitView(bool move);
    void FillScene(CurveScene& scene);
    void ComputeEnlarged();

    curve::Layout m_layout;
    int m_nInner = 0;
    curve::Scale m_scale[curve::kMaxStrips];
    curve::StripGeom m_geom[curve::kMaxStrips];
    int m_nRangeCode[curve::kMaxStrips]{};
    int m_nChannelNo[curve::kMaxStrips]{0, 1, 2, 3, 4, 5, 6, 7};
    std::unique_ptr<QPoint[]> m_points[curve::kMaxStrips];
    int m_nPoints[curve::kMaxStrips]{};
    std::unique_ptr<QPoint[]> m_enlarged;
    int m_nEnlarged = 0;
    int m_nVisibleCount = 1;
    bool m_bAllStrips = true;
    bool m_bFullRedraw = true;
    bool m_bLayoutReady = false;
    bool m_bRangesLoaded = false;
    bool m_bInitialized = false;

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
