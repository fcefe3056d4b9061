// The live waveform view: one strip per channel, the current 800-sample sweep.
#pragma once

#include "document.h"
#include "mdq4170.h"
#include "wndmsg.h"

#include <QAbstractScrollArea>

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

protected:
    CWndHandle m_hWnd{this};
};

} // namespace nuv
