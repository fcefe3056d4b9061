// What the live and the history waveform views have in common: layout, strips, point
// buffers, cursors, dragging, scrolling and the layered paint. The two views differ only
// in where their samples and document fields live and in what follows a move of the
// position; they say so through the hooks below.
#pragma once

#include "views/chanstats.h"
#include "views/curvegeom.h"
#include "views/curveinput.h"
#include "views/curvemeasure.h"
#include "views/curvepaint.h"
#include "framework/document.h"

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace nuv {

class CReadoutBar;

class CCurveViewBase : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CCurveViewBase(QWidget* parent = nullptr);
    ~CCurveViewBase() override;
    QWidget* GetWidget() override { return this; }

    void RecalcLayout();
    void ComputePoints();
    void RedrawAll();
    // After new readings: as RedrawAll, but only the columns whose points moved are painted
    // again when the background stays as it is.
    void RedrawReadings();
    void ApplyDisplayMode();
    // The document already holds the new position.
    void ScrollToPosition(int position, bool redraw);
    // Scroll range 0..total.
    void SetScrollSizes(int total);
    void PublishCursorIndices();
    // Paints what the pane shows onto `p` with a painter of its own, the screen's layers
    // untouched: on a raster device at `dpr` exactly as on the screen, on a vector device
    // (PDF) without raster operations. `reference` draws the traces through the paint
    // engine, as a check on the screen's own way.
    void RenderPane(QPainter& p, qreal dpr, bool vector, bool reference = false);

    // State read by the owner's checks and the painter.
    const curve::Layout& GetLayout() const { return m_layout; }
    const curve::StripGeom& GetStripGeom(int strip) const { return m_geom[strip]; }
    int GetInnerHeight() const { return m_nInner; }
    int GetPointCount(int strip) const { return m_nPoints[strip]; }
    const QPoint* GetPoints(int strip) const { return m_points[strip].get(); }
    int GetVisibleCount() const { return m_nVisibleCount; }
    int GetCursorX(int k) const { return m_nCursorX[k]; }
    void SetCursorX(int k, int x) { m_nCursorX[k] = x; }
    int GetDragMode() const { return m_nDragMode; }
    int GetPointerShape() const { return m_nShape; }
    bool IsAllStrips() const { return m_bAllStrips; }
    bool IsFullRedrawPending() const { return m_bFullRedraw; }

    // ---- measuring; every option is off until asked for, which keeps the plain look ----
    // The index axis read as elapsed time (needs a reading period).
    void SetTimeAxis(bool on);
    bool IsTimeAxis() const { return m_bTimeAxis; }
    // Each strip's value scale fitted to the readings it shows.
    void SetFitScales(bool on);
    bool IsFitScales() const { return m_bFitScales; }
    // The read-out of the readings under the cursors, in a bar under the plot.
    void SetReadout(bool on);
    bool IsReadout() const { return m_bReadout; }
    // A second cursor where the view normally has one (playback).
    void SetSecondCursor(bool on);
    bool IsSecondCursor() const { return m_bSecondCursor; }
    // Keeps the summaries of the shown readings up to date for a statistics list.
    void SetStatisticsWanted(bool on);
    // Statistics of the readings the traces show, one entry per strip with a trace, in
    // strip order. Returns the count.
    int ShownStatistics(measure::ChannelDecode* decode, measure::ChannelStats* stats) const;
    // Forgets what was summarised (a new run): the next data change starts afresh.
    void ResetShownStatistics();
    // Fitted scale of a strip (fitted false when off or nothing to fit).
    const measure::FittedScale& GetFittedScale(int strip) const { return m_fit[strip]; }
    const measure::Readout& GetReadout() const { return m_readout; }
    const measure::ReadoutInput& GetReadoutInput() const { return m_readoutIn; }
    // Rebuilds the read-out from the cursors and the readings (also after drags and scrolls).
    void UpdateReadout();

    // What the measuring needs to know from outside the view, asked when needed.
    struct MeasureSource {
        std::function<double()> readInterval;   // the run's read interval in ms
        std::function<int()> displayMode;       // the digit view's DigitDisplayMode
        std::function<int()> firstReading;      // first shown sample that is a reading
        std::function<int64_t()> timeOrigin;    // readings of the run before index 0
    };
    void SetMeasureSource(MeasureSource source) { m_source = std::move(source); }
    bool IsPlayback() const { return IsHistory(); }
    // Places of the values the window's digit view prints.
    int ShownDecimals() const { return ValueDecimals(); }

signals:
    // The readings the traces show changed (new readings, a scroll, another file) while
    // statistics are wanted.
    void shownReadingsChanged();

public:

protected:
    // ---- the document behind the view; the accessors below need HasDoc() ----
    virtual bool HasDoc() const = 0;
    virtual int Position() const = 0;
    virtual void SetPosition(int position) = 0;
    virtual int MaxPosition() const = 0;
    // Where End goes: the maximum position.
    virtual int EndPosition() const { return MaxPosition(); }
    virtual int SelectedStrip() const = 0;
    virtual void SetSelectedStrip(int strip) = 0;
    // False without a document.
    virtual bool Tiled() const = 0;
    // Null without a document.
    virtual QRgb* TraceColors() const = 0;
    virtual QRgb* CursorColors() const = 0;
    virtual void StorePlotWidth(int width) = 0;
    virtual void StoreVisibleCount(int count) = 0;
    virtual void StoreCursorIndex(int k, int index) = 0;

    // ---- samples and strips ----
    virtual int StripCount() const = 0;
    // True when a new layout leaves the strips' geometry as it was.
    virtual bool KeepsStripGeometry() const = 0;
    // Samples to draw and the x of the first; false when there is nothing to draw.
    virtual bool DataWindow(int& count, int& x0) const = 0;
    // Codes of one strip; null for a strip without a trace.
    virtual const uint16_t* StripCodes(int strip) const = 0;
    // Playback places centred codes of the enlarged channel one pixel lower.
    virtual bool IsHistory() const = 0;
    // 2, or 1 where cursor 2 is neither drawn nor dragged.
    virtual int CursorCount() const = 0;
    // Scene fields that only the document can tell: strips, tiled, extent, band width.
    virtual void DescribeScene(CurveScene& scene) const = 0;
    // The device's record for strip `strip` during the initial update.
    virtual void ApplyDeviceRange(int strip, uint32_t rangeCode, const RangeInfo& info) = 0;

    // ---- measuring ----
    // Milliseconds between two readings: the read interval, at least what the module
    // needs for the channels with a trace; 0 when unknown (no time axis, no times).
    virtual double ReadingPeriod() const;
    // How a strip's codes become values, as the digit view of the window decodes them.
    virtual measure::ChannelDecode StripDecode(int strip) const;
    // The digit view's display mode and places, which the read-out follows (live "%.3f",
    // playback "%6.5f").
    virtual measure::ReadoutMode ReadoutDisplayMode() const;
    virtual int ValueDecimals() const { return IsHistory() ? 5 : 3; }
    // True when the shown readings only grow from the start of a sweep until it starts
    // again (live): they are then summarised reading by reading, not rescanned.
    virtual bool SweepData() const { return !IsHistory(); }
    // The first shown sample that is a reading (the live sweep's first slot holds none
    // until the sweep has wrapped once).
    virtual int FirstShownReading() const { return m_source.firstReading ? m_source.firstReading() : 0; }

    // ---- what follows a move of the position ----
    // Brings the visible count (and whatever depends on it) in line with the position.
    virtual void FollowPosition() = 0;
    // After a scroll, pan, key or wheel step has moved the position.
    virtual void PositionMoved() {}
    // After the cursor indices went to the document.
    virtual void CursorsPublished() {}

    // Colours, layout, first points, scroll range and, unless `deviceRanges` is null, the
    // device's range records of all strips.
    void InitialUpdate(int scrollTotal, const uint32_t* deviceRanges, MDQ4170_HANDLE device);
    void RefreshVisibleCount();

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
    void UpdateSummaries(bool data, int count);
    void FitToData();
    void PlaceReadout();
    void Relayout();

    curve::Layout m_layout;
    int m_nInner = 0;
    curve::Scale m_scale[curve::kMaxStrips];
    curve::StripGeom m_geom[curve::kMaxStrips];
    int m_nRangeCode[curve::kMaxStrips]{};
    int m_nChannelNo[curve::kMaxStrips]{0, 1, 2, 3, 4, 5, 6, 7};
    std::unique_ptr<QPoint[]> m_points[curve::kMaxStrips];
    const QPoint* m_pointLists[curve::kMaxStrips]{};   // what the scene hands the painter
    int m_nPoints[curve::kMaxStrips]{};
    std::vector<QPoint> m_prevPoints[curve::kMaxStrips];   // the points before new readings
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

    // measuring
    bool m_bTimeAxis = false;
    bool m_bFitScales = false;
    bool m_bReadout = false;
    bool m_bSecondCursor = false;
    bool m_bStatsWanted = false;
    measure::CodeSummary m_summary[curve::kMaxStrips];
    bool m_bHasSummary[curve::kMaxStrips]{};
    std::unique_ptr<measure::SweepStats> m_sweep;   // live: made once, on first use
    int m_nFed = 0;                                 // sweep samples summarised
    uint32_t m_sweepKey[curve::kMaxStrips + 1]{};   // ranges and traces the sweep was set up for
    measure::FittedScale m_fit[curve::kMaxStrips];
    measure::FittedScale m_fitEnlarged;
    measure::ReadoutInput m_readoutIn;
    measure::Readout m_readout;
    CReadoutBar* m_pReadout = nullptr;
    MeasureSource m_source;
};

} // namespace nuv
