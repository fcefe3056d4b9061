#include "aidigitview.h"

#include "acqmsg.h"
#include "aidoc.h"
#include "aitypes.h"
#include "mainfrm.h"
#include "nuvapp.h"
#include "resource.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

namespace nuv {

CAIDigitView::CAIDigitView(QWidget* parent) : QTableView(parent), m_pRows(new CDigitRowModel(this))
{
    setModel(m_pRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    // Scrolling by pixels keeps the scroll range a constant-time sum at a million rows.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
}

CAIDigitView::~CAIDigitView() = default;

CAIDoc* CAIDigitView::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }

void CAIDigitView::OnInitialUpdate()
{
    CAIDoc* doc = GetDoc();
    QStringList titles;
    int channels[kChannels];
    int n = 0;
    if (doc != nullptr) {
        n = EnabledChannels(doc->m_Param, channels);
        for (int i = 0; i < n; ++i)
            titles << QStringLiteral("AI%1(%2)").arg(channels[i]).arg(RangeUnitText(doc->m_Param.Range[channels[i]]));
        doc->m_hDigitWnd.store(GetSafeHwnd());
    }
    setUpdatesEnabled(false);
    m_pRows->SetColumns(titles, channels);
    setColumnWidth(0, 50);
    for (int i = 0; i < n; ++i)
        setColumnWidth(i + 1, 60);
    setUpdatesEnabled(true);
}

void CAIDigitView::AppendReading(uint64_t sampleCount, const ScanBlock& scan)
{
    // Redrawing is suspended while the row goes in and the list scrolls to it: the
    // viewport is repainted once afterwards instead of being scrolled pixel by pixel.
    viewport()->setUpdatesEnabled(false);
    const uint64_t n = sampleCount % kRowModulus;
    if (n == 0)
        m_pRows->Clear();
    m_pRows->Append(uint32_t(n), m_nMode, scan);
    scrollToBottom();
    viewport()->setUpdatesEnabled(true);
}

bool CAIDigitView::event(QEvent* e)
{
    if (e->type() == MsgType(WM_DIGIT_ROW)) {
        if (const DigitRowNotice* row = static_cast<CMsgEvent*>(e)->Payload<DigitRowNotice>())
            AppendReading(row->SampleCount, row->Scan);
        return true;
    }
    return QTableView::event(e);
}

bool CAIDigitView::OnCmdMsg(int nID, CCmdUI* pUI)
{
    DigitDisplayMode mode;
    switch (nID) {
    case ID_DIGIT_DEC: mode = DigitDisplayMode::Decimal; break;
    case ID_DIGIT_HEX: mode = DigitDisplayMode::Hex; break;
    case ID_DIGIT_VOLT: mode = DigitDisplayMode::Voltage; break;
    default: return false;
    }
    if (pUI != nullptr) {
        pUI->Enable(true);
        pUI->SetCheck(m_nMode == mode ? 1 : 0);
    } else {
        m_nMode = mode;   // rows appended from now on
    }
    return true;
}

// Through the main frame's router when there is one; otherwise, or when the router does
// not know the id, this view and its document.
bool CAIDigitView::RouteCommand(int nID, CCmdUI* pUI)
{
    if (theApp.m_pMainWnd != nullptr && theApp.m_pMainWnd->RouteCmdMsg(nID, pUI))
        return true;
    if (OnCmdMsg(nID, pUI))
        return true;
    return m_pDocument != nullptr && m_pDocument->OnCmdMsg(nID, pUI);
}

QMenu* CAIDigitView::BuildContextMenu(QWidget* parent)
{
    struct Item {
        int id;
        const char* text;
    };
    static const Item items[] = {
        {ID_DIGIT_DEC, "十进制显示(原码)"},
        {ID_DIGIT_HEX, "十六进制显示(原码)"},
        {ID_DIGIT_VOLT, "电压显示(伏)"},
        {0, nullptr},
        {ID_RETURN_ACQ, "返回到采集"},
    };
    auto* menu = new QMenu(QStringLiteral("显示(数字窗)"), parent);
    for (const Item& it : items) {
        if (it.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromUtf8(it.text));
        a->setObjectName(QString::number(it.id));
        CCmdUI ui(it.id);
        const bool handled = RouteCommand(it.id, &ui);
        a->setEnabled(handled && ui.m_bEnabled);
        if (ui.m_bCheckSet) {
            a->setCheckable(true);
            a->setChecked(ui.m_nCheck != 0);
        }
        const int id = it.id;
        connect(a, &QAction::triggered, this, [this, id] { RouteCommand(id, nullptr); });
    }
    return menu;
}

void CAIDigitView::contextMenuEvent(QContextMenuEvent* e)
{
    QPoint at = e->globalPos();
    if (e->reason() == QContextMenuEvent::Keyboard)
        at = viewport()->mapToGlobal(QPoint(5, 5));
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
}

} // namespace nuv
