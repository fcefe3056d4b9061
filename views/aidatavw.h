// The channel statistics list of the AI window.
#pragma once

#include "framework/document.h"

#include <QTableWidget>

namespace nuv {

class CAIDataVw : public QTableWidget, public CView {
    Q_OBJECT
public:
    explicit CAIDataVw(QWidget* parent = nullptr);
    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;
    // The document's row-count hint: one row per channel it shows.
    void OnUpdate(CView* sender, int hint) override;
    // One row per enabled channel, numbered 0 .. n-1 (no-op while not attached to a document).
    void SetRowCount(uint32_t n);
    uint32_t RowCount() const { return m_nRows; }

signals:
    // The rows were made afresh (numbered); a list showing statistics fills them again.
    void rowsReset();

private:
    uint32_t m_nRows = 4;
};

} // namespace nuv
