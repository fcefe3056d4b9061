// The DIO window: one panel (scrolling when the window is smaller than it), no bars.
#pragma once

#include "framework/childfrm.h"

namespace nuv {

class CDIODoc;
class CDIOVw;

class CDIOFrm : public CChildFrame {
    Q_OBJECT
public:
    explicit CDIOFrm(CDIODoc* doc, QWidget* parent = nullptr);
    ~CDIOFrm() override;
    bool Create() override;
    int MenuId() const override;

protected:
    CDIOVw* m_pView = nullptr;
};

} // namespace nuv
