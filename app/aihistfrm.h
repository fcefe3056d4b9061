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

class CAIHistFrm : public CChildFrame {
    Q_OBJECT
public:
    explicit CAIHistFrm(CAIHistDoc* doc, QWidget* parent = nullptr);
    ~CAIHistFrm() override;
    bool Create() override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32783, 32784

    CAIHistDoc* GetDoc() const;
    CAIDigitVw* GetDigitVw() const { return m_pDigitVw; }
    CAICurveVw* GetCurveVw() const { return m_pCurveVw; }
    CAIHistParamVw* GetParamVw() const { return m_pParamVw; }
    void SelectParamTab(int i);

    int MenuId() const override;
    void OnIdleUpdateCmdUI() override;
    void LayoutPanesAfresh() override;
    CTabCtrlBar* ParamBar() const { return m_wndParamBar; }
    QSplitter* Splitter() const { return m_wndSplitter; }
    // Initial width of the left pane: 160 pixels plus a vertical scroll bar.
    static int InitialLeftPaneWidth();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

    CAIDigitVw* m_pDigitVw = nullptr;
    CAICurveVw* m_pCurveVw = nullptr;
    CAIHistParamVw* m_pParamVw = nullptr;
    CTabCtrlBar* m_wndParamBar = nullptr;
    QSplitter* m_wndSplitter = nullptr;
    bool m_bWindowBuilt = false;
    bool m_bSplitterBuilt = false;
    bool m_bPanesSized = false;
};

} // namespace nuv
