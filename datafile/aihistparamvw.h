// The history panel: the opened file's channel configuration, read-only.
#pragma once

#include "document.h"
#include "mdq4170.h"

#include <QWidget>

namespace nuv {

class CAIHistDoc;

class CAIHistParamVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CAIHistParamVw(QWidget* parent = nullptr);
    QWidget* GetWidget() override { return this; }
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void ShowParam(const AIParam& block);
    void EnablePanel(bool enable);
};

} // namespace nuv
