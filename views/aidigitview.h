// The live digit view: one row per reading of the running acquisition.
#pragma once

#include "document.h"
#include "wndmsg.h"

#include <QTableView>

namespace nuv {

class CAIDoc;

class CAIDigitView : public QTableView, public CView {
    Q_OBJECT
public:
    explicit CAIDigitView(QWidget* parent = nullptr);
    ~CAIDigitView() override;
    QWidget* GetWidget() override { return this; }
    CAIDoc* GetDoc() const;

    // Rebuilds the columns, removes all rows, registers for new readings.
    void OnInitialUpdate() override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32813-32815
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

protected:
    CWndHandle m_hWnd{this};
};

} // namespace nuv
