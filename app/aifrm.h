// The AI window: operate bar, parameter bar, statistics bar, status information bar and
// the split digit / waveform panes.
#pragma once

#include "childfrm.h"

namespace nuv {

class CAIDoc;
class CAIDigitView;
class CAICurveView;
class CAIParamVw;
class CAIDataVw;

class CAIFrm : public CChildFrame {
    Q_OBJECT
public:
    explicit CAIFrm(CAIDoc* doc, QWidget* parent = nullptr);
    ~CAIFrm() override;
    bool Create() override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32870, 32783, 32810, 32784

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

protected:
    bool event(QEvent* e) override;   // WM_USER+5, WM_USER+9

    CAIDigitView* m_pDigitView = nullptr;
    CAICurveView* m_pCurveView = nullptr;
    CAIParamVw* m_pParamView = nullptr;
    CAIDataVw* m_pDataView = nullptr;
};

} // namespace nuv
