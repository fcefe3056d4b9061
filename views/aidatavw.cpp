#include "views/aidatavw.h"

#include "acquisition/aidoc.h"

#include <QHeaderView>
#include <QProxyStyle>

namespace nuv {

namespace {
// A row is activated by one click, whatever the desktop's setting.
class OneClickStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};
} // namespace

CAIDataVw::CAIDataVw(QWidget* parent) : QTableWidget(parent)
{
    auto* oneClick = new OneClickStyle;
    oneClick->setParent(this);
    setStyle(oneClick);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
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
    setColumnCount(int(std::size(columns)));
    for (int i = 0; i < int(std::size(columns)); ++i) {
        auto* head = new QTableWidgetItem(QString::fromUtf8(columns[i].title));
        head->setTextAlignment(columns[i].align | Qt::AlignVCenter);
        setHorizontalHeaderItem(i, head);
        setColumnWidth(i, columns[i].width);
    }
}

void CAIDataVw::OnUpdate(CView* sender, int hint)
{
    if (hint == kHintRowCount)
        if (const auto* doc = qobject_cast<const CAIDoc*>(m_pDocument))
            SetRowCount(doc->m_nShownChannels);
}

void CAIDataVw::SetRowCount(uint32_t n)
{
    if (m_pDocument == nullptr)
        return;
    m_nRows = n;
    clearContents();
    setRowCount(int(n));
    for (int r = 0; r < int(n); ++r) {
        auto* channel = new QTableWidgetItem(QString::number(r));
        channel->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(r, 0, channel);
        for (int c = 1; c < columnCount(); ++c) {
            auto* empty = new QTableWidgetItem;
            empty->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(r, c, empty);
        }
    }
    emit rowsReset();
}

} // namespace nuv
