#include "views/rowtable.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace nuv {

CRowTable::CRowTable(QWidget* parent) : QAbstractScrollArea(parent), m_pHeader(new QHeaderView(Qt::Horizontal, this))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_pHeader->setSectionsClickable(false);
    m_pHeader->setFocusPolicy(Qt::NoFocus);
    connect(m_pHeader, &QHeaderView::sectionResized, this, [this] { Relayout(); });
    connect(m_pHeader, &QHeaderView::sectionCountChanged, this, [this] { Relayout(); });
    connect(m_pHeader, &QHeaderView::geometriesChanged, this, [this] { Relayout(); });
    m_nRowHeight = fontMetrics().height() + 4;
    setItemDelegate(new QStyledItemDelegate(this));
}

CRowTable::~CRowTable()
{
    // QWidget's destructor hides the header, which reports new geometries;
    // by then this object is no longer a table, so nothing may reach it.
    disconnect(m_pHeader, nullptr, this, nullptr);
    if (m_pModel != nullptr)
        disconnect(m_pModel, nullptr, this, nullptr);
}

void CRowTable::setModel(QAbstractItemModel* model)
{
    if (m_pModel != nullptr)
        disconnect(m_pModel, nullptr, this, nullptr);
    m_pModel = model;
    m_pHeader->setModel(model);
    m_nRow = -1;
    m_nColumn = 0;
    if (model != nullptr) {
        auto whole = [this] {
            m_nRow = std::min(m_nRow, m_pModel->rowCount() - 1);
            Relayout();
        };
        connect(model, &QAbstractItemModel::modelReset, this, [this, whole] {
            m_nRow = -1;
            whole();
        });
        connect(model, &QAbstractItemModel::layoutChanged, this, whole);
        connect(model, &QAbstractItemModel::columnsInserted, this, whole);
        connect(model, &QAbstractItemModel::columnsRemoved, this, whole);
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) { OnRowsInserted(first, last); });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex&, int first, int last) { OnRowsRemoved(first, last); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) { UpdateRows(from.row(), to.row()); });
    }
    Relayout();
}

void CRowTable::setItemDelegate(QAbstractItemDelegate* delegate)
{
    m_pDelegate = delegate;
    viewport()->update();
}

int CRowTable::columnWidth(int column) const { return m_pHeader->sectionSize(column); }

void CRowTable::setColumnWidth(int column, int width) { m_pHeader->resizeSection(column, width); }

int CRowTable::RowViewportPosition(int row) const { return row * m_nRowHeight - verticalScrollBar()->value(); }

int CRowTable::RowAt(int y) const
{
    const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
    const qint64 at = qint64(y) + verticalScrollBar()->value();
    if (at < 0 || at >= qint64(rows) * m_nRowHeight)
        return -1;
    return int(at / m_nRowHeight);
}

void CRowTable::UpdateGeometries()
{
    if (m_bLayingOut)
        return;
    m_bLayingOut = true;
    // The header's height is measured again only when something it depends on changed.
    if (m_nHeaderHeight < 0) {
        m_nHeaderHeight =
            m_pHeader->isHidden() ? 0 : std::max(m_pHeader->minimumHeight(), m_pHeader->sizeHint().height());
        setViewportMargins(0, m_nHeaderHeight, 0, 0);
    }
    const QRect port = viewport()->geometry();
    const QRect head(port.left(), port.top() - m_nHeaderHeight, port.width(), m_nHeaderHeight);
    if (m_pHeader->geometry() != head)
        m_pHeader->setGeometry(head);
    const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
    const QSize size = viewport()->size();
    QScrollBar* v = verticalScrollBar();
    v->setSingleStep(m_nRowHeight);
    v->setPageStep(size.height());
    v->setRange(0, int(std::clamp<qint64>(qint64(rows) * m_nRowHeight - size.height(), 0, INT_MAX)));
    QScrollBar* h = horizontalScrollBar();
    h->setSingleStep(20);
    h->setPageStep(size.width());
    h->setRange(0, std::max(0, m_pHeader->length() - size.width()));
    m_bLayingOut = false;
}

void CRowTable::Relayout()
{
    m_nHeaderHeight = -1;
    UpdateGeometries();
    viewport()->update();
}

void CRowTable::ScrollToBottom() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }

void CRowTable::EnsureRowVisible(int row)
{
    QScrollBar* v = verticalScrollBar();
    const int top = row * m_nRowHeight;
    if (top < v->value())
        v->setValue(top);
    else if (top + m_nRowHeight > v->value() + viewport()->height())
        v->setValue(top + m_nRowHeight - viewport()->height());
}

void CRowTable::UpdateRows(int first, int last)
{
    if (first < 0 || last < first)
        return;
    const int top = std::max(-1, RowViewportPosition(first));
    const int bottom = std::min(viewport()->height(), RowViewportPosition(last) + m_nRowHeight);
    if (top < bottom)
        viewport()->update(0, top, viewport()->width(), bottom - top);
}

void CRowTable::RowsInserted(int first, [[maybe_unused]] int last)
{
    UpdateGeometries();
    UpdateRows(first, m_pModel->rowCount() - 1);
}

void CRowTable::OnRowsInserted(int first, int last)
{
    if (m_nRow >= first)
        m_nRow += last - first + 1;
    RowsInserted(first, last);
}

void CRowTable::OnRowsRemoved(int first, int last)
{
    if (m_nRow > last)
        m_nRow -= last - first + 1;
    else if (m_nRow >= first)
        m_nRow = -1;
    Relayout();
}

QStyleOptionViewItem CRowTable::CellOption() const
{
    QStyleOptionViewItem o;
    o.initFrom(this);
    o.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    if (!hasFocus())
        o.state &= ~QStyle::State_Active;   // a table without the focus shows its selection inactive
    o.font = font();
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    o.decorationSize = QSize(icon, icon);
    o.decorationPosition = QStyleOptionViewItem::Left;
    o.decorationAlignment = Qt::AlignCenter;
    o.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    o.textElideMode = Qt::ElideRight;
    o.showDecorationSelected = true;
    o.locale = locale();
    o.locale.setNumberOptions(QLocale::OmitGroupSeparator);
    o.widget = this;
    if (o.state & QStyle::State_Enabled)
        o.palette.setCurrentColorGroup(QPalette::Normal);
    return o;
}

void CRowTable::paintEvent(QPaintEvent* e)
{
    const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
    const int columns = m_pHeader->count();
    if (rows == 0 || columns == 0 || m_pDelegate == nullptr)
        return;
    QPainter p(viewport());
    const QStyleOptionViewItem cell = CellOption();
    const QPen grid(QColor(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &cell, this))), 0);
    const int h = m_nRowHeight;
    const int offset = verticalScrollBar()->value();
    // The table's extent: the last column's and the last row's grid lines.
    const int right = m_pHeader->length() - m_pHeader->offset() - 1;
    const int bottom = int(std::min<qint64>(qint64(rows) * h - offset - 1, viewport()->height()));
    const bool focus = hasFocus();
    for (QRect dirty : e->region()) {
        dirty.setRight(std::min(dirty.right(), right));
        dirty.setBottom(std::min(dirty.bottom(), bottom));
        if (dirty.isEmpty())
            continue;
        // A cell across two rectangles is drawn in parts, never twice over the same pixels.
        p.setClipRect(dirty);
        int left = m_pHeader->visualIndexAt(dirty.left());
        int last = m_pHeader->visualIndexAt(dirty.right());
        left = left < 0 ? 0 : left;
        last = last < 0 ? columns - 1 : last;
        const int top = std::max(0, (dirty.top() + offset) / h);
        const int end = std::min(rows - 1, (dirty.bottom() + offset) / h);
        for (int row = top; row <= end; ++row) {
            const int y = row * h - offset;
            for (int visual = left; visual <= last; ++visual) {
                const int column = m_pHeader->logicalIndex(visual);
                if (m_pHeader->isSectionHidden(column))
                    continue;
                QStyleOptionViewItem opt = cell;
                opt.rect = QRect(m_pHeader->sectionViewportPosition(column), y, m_pHeader->sectionSize(column) - 1, h - 1);
                if (row == m_nRow) {
                    opt.state |= QStyle::State_Selected;
                    if (focus && column == m_nColumn)
                        opt.state |= QStyle::State_HasFocus;
                }
                style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &opt, &p, this);
                m_pDelegate->paint(&p, opt, m_pModel->index(row, column));
            }
        }
        p.setPen(grid);
        for (int row = top; row <= end; ++row) {
            const int y = row * h - offset + h - 1;
            p.drawLine(dirty.left(), y, dirty.right(), y);
        }
        for (int visual = left; visual <= last; ++visual) {
            const int column = m_pHeader->logicalIndex(visual);
            if (m_pHeader->isSectionHidden(column))
                continue;
            const int x = m_pHeader->sectionViewportPosition(column) + m_pHeader->sectionSize(column) - 1;
            p.drawLine(x, dirty.top(), x, dirty.bottom());
        }
    }
}

void CRowTable::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateGeometries();
}

void CRowTable::scrollContentsBy(int dx, int dy)
{
    if (dx != 0)
        m_pHeader->setOffset(horizontalScrollBar()->value());
    viewport()->scroll(dx, dy);
    // Some styles shade the focus frame by where it lies in the window: drawn again where it
    // moved to, it looks as it would have been drawn there.
    if (hasFocus())
        UpdateRows(m_nRow, m_nRow);
}

void CRowTable::SetCurrent(int row, int column)
{
    const int was = m_nRow;
    m_nRow = row;
    m_nColumn = std::clamp(column, 0, std::max(0, m_pHeader->count() - 1));
    UpdateRows(was, was);
    if (row >= 0) {
        UpdateRows(row, row);
        EnsureRowVisible(row);
        // The current cell comes into view across too.
        const int x = m_pHeader->sectionPosition(m_nColumn);
        QScrollBar* h = horizontalScrollBar();
        if (x < h->value())
            h->setValue(x);
        else if (x + columnWidth(m_nColumn) > h->value() + viewport()->width())
            h->setValue(std::min(x, x + columnWidth(m_nColumn) - viewport()->width()));
    }
}

void CRowTable::SelectRow(int row)
{
    const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
    SetCurrent(row >= 0 && row < rows ? row : -1, m_nColumn);
}

void CRowTable::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const int row = RowAt(at.y());
    const int column = m_pHeader->logicalIndexAt(at.x());
    if (row >= 0 && column >= 0)
        SetCurrent(row, column);
    QAbstractScrollArea::mousePressEvent(e);
}

void CRowTable::mouseMoveEvent(QMouseEvent* e)
{
    // Dragging with the left button moves the selection along.
    if (e->buttons() & Qt::LeftButton) {
        const QPoint at = e->position().toPoint();
        const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
        const int row = std::clamp(int((qint64(at.y()) + verticalScrollBar()->value()) / m_nRowHeight), 0, rows - 1);
        const int column = m_pHeader->logicalIndexAt(std::clamp(at.x(), 0, viewport()->width() - 1));
        if (rows > 0 && (row != m_nRow || (column >= 0 && column != m_nColumn)))
            SetCurrent(row, column >= 0 ? column : m_nColumn);
    }
    QAbstractScrollArea::mouseMoveEvent(e);
}

void CRowTable::keyPressEvent(QKeyEvent* e)
{
    const int rows = m_pModel != nullptr ? m_pModel->rowCount() : 0;
    if (e->matches(QKeySequence::Copy)) {
        CopyRow();
        return;
    }
    const int page = std::max(1, viewport()->height() / m_nRowHeight);
    const int row = m_nRow;
    int to = row;
    int column = m_nColumn;
    switch (e->key()) {
    case Qt::Key_Up: to = row < 0 ? 0 : row - 1; break;
    case Qt::Key_Down: to = row + 1; break;
    case Qt::Key_PageUp: to = row < 0 ? 0 : row - page; break;
    case Qt::Key_PageDown: to = row + page; break;
    case Qt::Key_Home: to = 0; break;
    case Qt::Key_End: to = rows - 1; break;
    case Qt::Key_Left: column = m_nColumn - 1; to = std::max(row, 0); break;
    case Qt::Key_Right: column = m_nColumn + 1; to = std::max(row, 0); break;
    default: QAbstractScrollArea::keyPressEvent(e); return;
    }
    if (rows > 0)
        SetCurrent(std::clamp(to, 0, rows - 1), column);
    e->accept();
}

// The selected row as the cells show it, separated by tabs.
void CRowTable::CopyRow() const
{
    if (m_nRow < 0 || m_pModel == nullptr)
        return;
    QStringList cells;
    for (int visual = 0; visual < m_pHeader->count(); ++visual) {
        const int column = m_pHeader->logicalIndex(visual);
        if (!m_pHeader->isSectionHidden(column))
            cells << m_pModel->index(m_nRow, column).data(Qt::DisplayRole).toString();
    }
    QApplication::clipboard()->setText(cells.join(QLatin1Char('\t')));
}

void CRowTable::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    UpdateRows(m_nRow, m_nRow);   // the selection's colours and the focus frame
}

void CRowTable::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    UpdateRows(m_nRow, m_nRow);
}

void CRowTable::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
        m_nRowHeight = fontMetrics().height() + 4;
        Relayout();
    }
}

} // namespace nuv
