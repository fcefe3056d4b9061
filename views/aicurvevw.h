// The history waveform view: one strip per file channel, the window loaded at the
// history document's position.
#pragma once

#include "views/curveviewbase.h"
#include "device/mdq4170.h"

class QMenu;

namespace nuv {

class CAIHistDoc;

class CAICurveVw : public CCurveViewBase {
    Q_OBJECT
public:
    explicit CAICurveVw(QWidget* parent = nullptr);
    ~CAICurveVw() override;
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    // Follows the document: a new file's channels, a loaded or moved window, the display
    // mode (HistHint).
    void OnUpdate(CView* sender, int hint) override;
    // Slot `slot` shows device channel `channel` with this range.
    void SetChannelRange(int channel, int slot, uint32_t rangeCode, const RangeInfo& info);
    // Readings the view shows at the document's position; also stored in the document.
    int UpdateVisibleCount();

    // Fills the context menu ("显示(波形窗)" with 32796, then 32881 "双光标测量" and 32882
    // "统计整个文件"); false while no file is loaded.
    bool BuildContextMenu(QMenu& menu);

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

    bool HasDoc() const override;
    int Position() const override;
    void SetPosition(int position) override;
    int MaxPosition() const override;
    int EndPosition() const override;   // the last screenful
    int SelectedStrip() const override;
    void SetSelectedStrip(int strip) override;
    bool Tiled() const override;
    QRgb* TraceColors() const override;
    QRgb* CursorColors() const override;
    void StorePlotWidth(int width) override;
    void StoreVisibleCount(int count) override;
    void StoreCursorIndex(int k, int index) override;
    int StripCount() const override;
    bool KeepsStripGeometry() const override;
    bool DataWindow(int& count, int& x0) const override;
    const uint16_t* StripCodes(int strip) const override;
    bool IsHistory() const override { return true; }
    // Cursor 2 is not shown in playback unless "双光标测量" asks for it.
    int CursorCount() const override { return IsSecondCursor() ? 2 : 1; }
    void DescribeScene(CurveScene& scene) const override;
    void ApplyDeviceRange(int strip, uint32_t rangeCode, const RangeInfo& info) override;
    // The document reloads its window at the position, as long as the screen published.
    void FollowPosition() override;
    // The other views hear of a move or of new cursor readings through the document.
    void PositionMoved() override;
    void CursorsPublished() override;

    // Tells the document the plot's width and what one screen shows (HistScreen).
    void PublishScreen();
};

} // namespace nuv
