// The AI window: operate bar, parameter bar, statistics bar, status information bar and
// the split digit / waveform panes.
#pragma once

#include "framework/childfrm.h"

class QSplitter;

namespace nuv {

class CAIDoc;
class CAIDigitView;
class CAICurveView;
class CAIParamVw;
class CAIDataVw;
class COperateBar;
class CStatusInfoBar;
class CTabCtrlBar;
class CMeasureControl;

class CAIFrm : public CChildFrame {
    Q_OBJECT
public:
    explicit CAIFrm(CAIDoc* doc, QWidget* parent = nullptr);
    ~CAIFrm() override;
    bool Create() override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32870, 32783, 32810, 32784, 32877-32880

    CAIDoc* GetDoc() const;
    CAIDigitView* GetDigitView() const { return m_pDigitView; }
    CAICurveView* GetCurveView() const { return m_pCurveView; }
    CAIParamVw* GetParamView() const { return m_pParamView; }
    CAIDataVw* GetDataView() const { return m_pDataView; }

    // Status information bar (template 166).
    void ShowStatusInfoBar(bool show);
    bool IsStatusInfoBarVisible() const;
    void SetStatusField(int id, const QString& text);   // 1109, 1111, 1110, 1287
    QString StatusField(int id) const;
    // Parameter bar: make tab i current.
    void SelectParamTab(int i);

    int MenuId() const override;
    void OnMDIActivate(CChildFrame* activated) override;
    void OnIdleUpdateCmdUI() override;
    void LayoutPanesAfresh() override;

    COperateBar* OperateBar() const { return m_wndOperateBar; }
    CStatusInfoBar* StatusInfoBar() const { return m_wndStatusInfoBar; }
    CTabCtrlBar* ParamBar() const { return m_wndParamBar; }
    CTabCtrlBar* StatisticsBar() const { return m_wndStatBar; }
    QSplitter* Splitter() const { return m_wndSplitter; }
    // Initial width of the left pane: 700 pixels plus a vertical scroll bar.
    static int InitialLeftPaneWidth();

protected:
    bool event(QEvent* e) override;   // WM_USER+5, WM_USER+9
    bool eventFilter(QObject* o, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

    CAIDigitView* m_pDigitView = nullptr;
    CAICurveView* m_pCurveView = nullptr;
    CAIParamVw* m_pParamView = nullptr;
    CAIDataVw* m_pDataView = nullptr;

    COperateBar* m_wndOperateBar = nullptr;
    CStatusInfoBar* m_wndStatusInfoBar = nullptr;
    CTabCtrlBar* m_wndParamBar = nullptr;
    CTabCtrlBar* m_wndStatBar = nullptr;
    QSplitter* m_wndSplitter = nullptr;
    CMeasureControl* m_pMeasure = nullptr;   // time axis, fitted scales, read-out, statistics
    bool m_bWindowBuilt = false;
    bool m_bSplitterBuilt = false;
    bool m_bPanesSized = false;
    bool m_bOperateBarVisible = true;
    bool m_bStatBarVisible = false;
};

} // namespace nuv
