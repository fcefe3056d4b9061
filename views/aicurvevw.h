// The history waveform view: one strip per file channel, the window loaded at the
// history document's position.
#pragma once

#include "document.h"
#include "mdq4170.h"

#include <QAbstractScrollArea>

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
};

} // namespace nuv
