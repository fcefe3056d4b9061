// The history window: parameter bar and the split digit / waveform panes.
#pragma once

#include "framework/childfrm.h"

class QSplitter;

namespace nuv {

class CAIHistDoc;
class CAIDigitVw;
class CAICurveVw;
class CAIHistParamVw;
class CTabCtrlBar;
class CAIDataVw;
class CMeasureControl;

class CAIHistFrm : public CChildFrame {
    Q_OBJECT
public:
    explicit CAIHistFrm(CAIHistDoc* doc, QWidget* parent = nullptr);
    ~CAIHistFrm() override;
    bool Create() override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32783, 32784, 32877-32883

    CAIHistDoc* GetDoc() const;
    CAIDigitVw* GetDigitVw() const { return m_pDigitVw; }
    CAICurveVw* GetCurveVw() const { return m_pCurveVw; }
    CAIHistParamVw* GetParamVw() const { return m_pParamVw; }
    void SelectParamTab(int i);

    int MenuId() const override;
    void OnIdleUpdateCmdUI() override;
    void LayoutPanesAfresh() override;
    CTabCtrlBar* ParamBar() const { return m_wndParamBar; }
    CTabCtrlBar* StatisticsBar() const { return m_wndStatBar; }
    CMeasureControl* Measure() const { return m_pMeasure; }
    QSplitter* Splitter() const { return m_wndSplitter; }
    // Initial width of the left pane: 160 pixels plus a vertical scroll bar.
    static int InitialLeftPaneWidth();

protected:
    // The table's time column follows the time axis, the file's start and the read interval.
    void ApplyTimeColumn(bool on);
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

    CAIDigitVw* m_pDigitVw = nullptr;
    CAICurveVw* m_pCurveVw = nullptr;
    CAIHistParamVw* m_pParamVw = nullptr;
    CTabCtrlBar* m_wndParamBar = nullptr;
    QSplitter* m_wndSplitter = nullptr;
    // Statistics bar, hidden until asked for: the readings on show and the whole file.
    CTabCtrlBar* m_wndStatBar = nullptr;
    CAIDataVw* m_pShownStats = nullptr;
    CAIDataVw* m_pFileStats = nullptr;
    CMeasureControl* m_pMeasure = nullptr;
    bool m_bWindowBuilt = false;
    bool m_bSplitterBuilt = false;
    bool m_bPanesSized = false;
};

} // namespace nuv
