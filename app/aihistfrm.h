// The history window: parameter bar and the split digit / waveform panes.
#pragma once

#include "childfrm.h"

namespace nuv {

class CAIHistDoc;
class CAIDigitVw;
class CAICurveVw;
class CAIHistParamVw;

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

protected:
    CAIDigitVw* m_pDigitVw = nullptr;
    CAICurveVw* m_pCurveVw = nullptr;
    CAIHistParamVw* m_pParamVw = nullptr;
};

} // namespace nuv
