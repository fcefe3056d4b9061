#include "aidatavw.h"

#include <QHeaderView>

namespace nuv {

CAIDataVw::CAIDataVw(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    header()->setSectionsMovable(true);
    setColumnCount(0);
}

void CAIDataVw::OnInitialUpdate()
{
    struct Column {
        const char* title;
        int width;
        Qt::Alignment align;
    };
    static const Column columns[] = {
        {"通道", 40, Qt::AlignLeft},   {"最大值", 70, Qt::AlignRight}, {"中间值", 70, Qt::AlignRight},
        {"最小值", 70, Qt::AlignRight}, {"幅值", 70, Qt::AlignRight},   {"平均值", 70, Qt::AlignRight},
    };
    QStringList titles;
    for (const Column& c : columns)
        titles << QString::fromUtf8(c.title);
    setColumnCount(int(titles.size()));
    setHeaderLabels(titles);
    for (int i = 0; i < int(std::size(columns)); ++i) {
        setColumnWidth(i, columns[i].width);
        headerItem()->setTextAlignment(i, columns[i].align | Qt::AlignVCenter);
    }
}

void CAIDataVw::SetRowCount(uint32_t n)
{
    if (m_pDocument == nullptr)
        return;
    m_nRows = n;
    clear();
    for (uint32_t r = 0; r < n; ++r) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::number(r));
        for (int c = 1; c < columnCount(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

} // namespace nuv
