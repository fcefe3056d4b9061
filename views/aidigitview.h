// The live digit view: one row per reading of the running acquisition.
#pragma once

#include "views/digitrows.h"
#include "views/rowtable.h"
#include "device/mdq4170.h"
#include "framework/document.h"
#include "framework/wndmsg.h"

#include <array>

class QMenu;

namespace nuv {

class CAIDoc;
class CRowScrollBar;

class CAIDigitView : public CRowTable, public CView {
    Q_OBJECT
public:
    static constexpr uint64_t kRowModulus = 1048576;

    explicit CAIDigitView(QWidget* parent = nullptr);
    ~CAIDigitView() override;
    QWidget* GetWidget() override { return this; }
    CAIDoc* GetDoc() const;
    // The module of the document (none without document).
    MDQ4170_HANDLE Device() const;

    // Rebuilds the columns and removes all rows (also on the document's column hint).
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint) override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32813-32815
    // Handle for the worker's readings (WM_USER+100).
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

    // One reading: the count after it and the reading (WM_USER+100 carries both).
    void AppendReading(uint64_t sampleCount, const ScanBlock& scan);
    DigitDisplayMode Mode() const { return m_nMode; }
    // The optional time column "时间" after the channels.
    void SetTimeColumn(bool on);
    CDigitRowModel* Rows() const { return m_pRows; }
    // The context menu "显示(数字窗)" with its items in their current update state.
    QMenu* BuildContextMenu(QWidget* parent);

protected:
    bool event(QEvent* e) override;
    // A reading's row: ShowNewRows() scrolls it into view and paints it alone.
    void RowsInserted(int first, int last) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

    CWndHandle m_hWnd{this};

private:
    bool RouteCommand(int nID, CCmdUI* pUI);
    void FitColumns();
    // Scrolls the rows appended since the last call into view and has them painted.
    void ShowNewRows();
    // The widest texts a column of range `rangeCode` can show in the modes of `modes`
    // (bit m for DigitDisplayMode m).
    static QStringList WidestTexts(uint32_t rangeCode, unsigned modes, MDQ4170_HANDLE device);

    CDigitRowModel* m_pRows;
    CRowScrollBar* m_pBar;
    DigitDisplayMode m_nMode = DigitDisplayMode::Voltage;
    unsigned m_nModesShown = 0;                // modes of the rows in the list, bit per mode
    std::array<uint32_t, 8> m_nRange{};        // range code of each channel column
    bool m_bTimeBaseSet = false;               // the run's start is known (first row of a run)
    bool m_bShowPending = false;               // ShowNewRows() is queued
    int m_nShownRows = 0;                      // rows ShowNewRows() has made room for
};

} // namespace nuv
