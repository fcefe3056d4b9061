// The AI parameter panel: channel run, ranges, read interval, wave and save switches,
// cold-junction temperature and break icons.
#pragma once

#include "document.h"
#include "mdq4170.h"
#include "wndmsg.h"

#include <QWidget>

namespace nuv {

class CAIDoc;

class CAIParamVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CAIParamVw(QWidget* parent = nullptr);
    ~CAIParamVw() override;
    QWidget* GetWidget() override { return this; }
    CAIDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void ApplyParam(const AIParam& p);
    void EnablePanel(bool enable);
    // Text of the cold-junction field (set by the worker through a posted call).
    void SetCJCText(const QString& text);
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

protected:
    CWndHandle m_hWnd{this};
};

} // namespace nuv
