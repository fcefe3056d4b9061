// The channel statistics list of the AI window.
#pragma once

#include "document.h"

#include <QTreeWidget>

namespace nuv {

class CAIDataVw : public QTreeWidget, public CView {
    Q_OBJECT
public:
    explicit CAIDataVw(QWidget* parent = nullptr);
    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;
    void SetRowCount(uint32_t n);
};

} // namespace nuv
