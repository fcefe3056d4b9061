// The digital I/O panel: output toggles, input indicators, manual and automatic reads.
#pragma once

#include "document.h"
#include "wndmsg.h"

#include <QWidget>

namespace nuv {

class CDIOVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CDIOVw(QWidget* parent = nullptr);
    ~CDIOVw() override;   // stops the reader and waits until it has ended
    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

protected:
    CWndHandle m_hWnd{this};
};

} // namespace nuv
