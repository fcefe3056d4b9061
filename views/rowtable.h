// A table of rows of one height, painted straight from its model.
#pragma once

#include <QAbstractScrollArea>
#include <QAbstractItemDelegate>
#include <QAbstractItemModel>
#include <QPointer>
#include <QStyleOptionViewItem>

class QHeaderView;

namespace nuv {

// Looks and handles as a table view with a hidden row header, whole-row single selection
// and per-pixel scrolling, but keeps nothing per row: where a row is follows from its
// number, so a list of a million rows costs no more to add to, scroll or paint than one
// of ten. The column header is a header view of the model's columns. Cells are drawn by
// the item delegate with the options the table view gives them.
// The model may add rows at its end, remove them, reset and change columns; rows inserted
// elsewhere move the selection with them.
class CRowTable : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CRowTable(QWidget* parent = nullptr);
    ~CRowTable() override;

    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return m_pModel; }
    QAbstractItemDelegate* itemDelegate() const { return m_pDelegate; }
    void setItemDelegate(QAbstractItemDelegate* delegate);
    QHeaderView* horizontalHeader() const { return m_pHeader; }
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);

    // Height of every row: a line of the table's font and a margin.
    int RowHeight() const { return m_nRowHeight; }
    // Top of `row` in the viewport (negative above it); the row under viewport height `y`
    // (-1: none).
    int RowViewportPosition(int row) const;
    int RowAt(int y) const;
    // The selected row, which is also the current one (-1: none), and the current column
    // (the cell that shows the focus frame while the table has the focus).
    int SelectedRow() const { return m_nRow; }
    int CurrentColumn() const { return m_nColumn; }
    // Selects `row` and makes it current (-1: nothing selected).
    void SelectRow(int row);
    // Scroll ranges and the header's place from the rows, columns and viewport now.
    void UpdateGeometries();
    void ScrollToBottom();
    void EnsureRowVisible(int row);
    // Has the rows first..last painted again where they are shown.
    void UpdateRows(int first, int last);

protected:
    // Rows first..last were added. The table lays itself out again and paints what moved;
    // a table that takes many rows at a time can gather them and do so once.
    virtual void RowsInserted(int first, int last);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // The options every cell starts from, as a table view fills them in.
    QStyleOptionViewItem CellOption() const;
    void SetCurrent(int row, int column);
    void Relayout();
    void OnRowsInserted(int first, int last);
    void OnRowsRemoved(int first, int last);
    void CopyRow() const;

    QPointer<QAbstractItemModel> m_pModel;
    QPointer<QAbstractItemDelegate> m_pDelegate;
    QHeaderView* m_pHeader;
    int m_nRowHeight = 20;
    int m_nHeaderHeight = -1;   // -1: to be measured
    int m_nRow = -1;
    int m_nColumn = 0;
    bool m_bLayingOut = false;
};

} // namespace nuv
