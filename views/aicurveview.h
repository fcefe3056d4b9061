// The live waveform view: one strip per channel, the current 800-sample sweep.
#pragma once

#include "views/curveviewbase.h"
#include "device/mdq4170.h"
#include "framework/wndmsg.h"

namespace nuv {

class CAIDoc;

class CAICurveView : public CCurveViewBase {
    Q_OBJECT
public:
    explicit CAICurveView(QWidget* parent = nullptr);
    ~CAICurveView() override;
    CAIDoc* GetDoc() const;

    void OnInitialUpdate() override;
    // What the document's hints change here: range of a channel, sweep reset or cleared,
    // layout, position back to 0.
    void OnUpdate(CView* sender, int hint) override;
    void SetChannelRange(int channel, uint32_t rangeCode, const RangeInfo& info);
    void UpdateVisibleCount();
    // Handle for the worker's sweep notices (WM_USER+1).
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

protected:
    bool event(QEvent* e) override;

    bool HasDoc() const override;
    int Position() const override;
    void SetPosition(int position) override;
    int MaxPosition() const override;
    int SelectedStrip() const override;
    void SetSelectedStrip(int strip) override;
    bool Tiled() const override;
    QRgb* TraceColors() const override;
    QRgb* CursorColors() const override;
    void StorePlotWidth(int width) override;
    void StoreVisibleCount(int count) override;
    void StoreCursorIndex(int k, int index) override;
    int StripCount() const override { return curve::kLiveStrips; }
    bool KeepsStripGeometry() const override;
    bool DataWindow(int& count, int& x0) const override;
    const uint16_t* StripCodes(int strip) const override;
    bool IsHistory() const override { return false; }
    int CursorCount() const override { return 2; }
    void DescribeScene(CurveScene& scene) const override;
    void ApplyDeviceRange(int strip, uint32_t rangeCode, const RangeInfo& info) override;
    void FollowPosition() override { UpdateVisibleCount(); }

    CWndHandle m_hWnd{this};
};

} // namespace nuv
