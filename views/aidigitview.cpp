#include "views/aidigitview.h"
#include "views/digitcelldelegate.h"
#include "views/rowscrollbar.h"

#include "acquisition/acqmsg.h"
#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"
#include "framework/winapp.h"
#include "res/resource.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace nuv {

CAIDigitView::CAIDigitView(QWidget* parent) : CRowTable(parent), m_pRows(new CDigitRowModel(this))
{
    setModel(m_pRows);
    setItemDelegate(new CDigitCellDelegate(m_pRows, this));
    // A scroll bar that repaints only what a new row changes.
    m_pBar = new CRowScrollBar(Qt::Vertical, this);
    setVerticalScrollBar(m_pBar);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    // Rows gone: what comes next is new from the top.
    connect(m_pRows, &QAbstractItemModel::modelReset, this, [this] { m_nShownRows = 0; });
    connect(m_pRows, &QAbstractItemModel::rowsRemoved, this, [this] { m_nShownRows = 0; });
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
    }
    setUpdatesEnabled(false);
    m_pRows->SetColumns(titles, channels);
    m_pRows->SetReadingBase(0);
    m_bTimeBaseSet = false;
    m_nModesShown = 0;
    n = m_pRows->ChannelColumns();
    m_nRange.fill(0);
    for (int i = 0; i < n; ++i)
        m_nRange[size_t(i)] = doc->m_Param.Range[channels[i]];
    FitColumns();
    setUpdatesEnabled(true);
}

void CAIDigitView::OnUpdate(CView* sender, int hint)
{
    if (hint == kHintColumns)
        OnInitialUpdate();
}

MDQ4170_HANDLE CAIDigitView::Device() const
{
    const CAIDoc* doc = GetDoc();
    return doc != nullptr ? doc->m_hDevice : MDQ4170_INVALID_HANDLE;
}

void CAIDigitView::FitColumns()
{
    // Every column is as wide as its widest possible number in the modes its rows show
    // (the current mode and those of rows already in the list), and at least as wide as
    // usual. The widths come from this view's own font.
    const QFontMetrics fm = fontMetrics();
    const QFontMetrics head = horizontalHeader()->fontMetrics();
    const int pad = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
    const unsigned modes = m_nModesShown | (1u << unsigned(m_nMode));
    setColumnWidth(0, std::max({50, fm.horizontalAdvance(QString::number(kRowModulus - 1)) + pad,
                                head.horizontalAdvance(QStringLiteral("Index")) + pad}));
    for (int i = 0; i < m_pRows->ChannelColumns(); ++i) {
        int widest = head.horizontalAdvance(m_pRows->headerData(i + 1, Qt::Horizontal).toString());
        for (const QString& t : WidestTexts(m_nRange[size_t(i)], modes, Device()))
            widest = std::max(widest, fm.horizontalAdvance(t));
        setColumnWidth(i + 1, std::max(60, widest + pad));
    }
    if (m_pRows->TimeColumn())
        setColumnWidth(m_pRows->TimeColumnIndex(),
                       std::max(fm.horizontalAdvance(QStringLiteral("00:00:00.000")),
                                head.horizontalAdvance(QStringLiteral("时间"))) + pad);
}

void CAIDigitView::SetTimeColumn(bool on)
{
    m_pRows->SetTimeColumn(on);
    FitColumns();
}

QStringList CAIDigitView::WidestTexts(uint32_t rangeCode, unsigned modes, MDQ4170_HANDLE device)
{
    QStringList out;
    if (modes & (1u << unsigned(DigitDisplayMode::Decimal)))
        out << QString::number(0xFFFF);
    if (modes & (1u << unsigned(DigitDisplayMode::Hex)))
        out << QString::number(0xFFFF, 16);
    if (modes & (1u << unsigned(DigitDisplayMode::Voltage))) {
        // The ends of the range, and the larger end with a sign for readings beyond it.
        const RangeInfo info = DisplayRangeInfo(device, rangeCode);
        if (info.RangeSpan > 0.0) {
            const double big = std::max(std::fabs(info.RangeMax), std::fabs(info.RangeMin));
            for (double v : {info.RangeMax, info.RangeMin, -big})
                out << QString::asprintf("%.3f", v);
        } else {
            out << QStringLiteral("-0000.000");   // no range at hand: room for any range's values
        }
    }
    return out;
}

void CAIDigitView::AppendReading(uint64_t sampleCount, const ScanBlock& scan)
{
    // A reading adds one row at the bottom. The rows above it move up by scrolling the
    // viewport's picture and the new row alone is painted (ShowNewRows(), once for all the
    // readings that arrive before the view gets back to its events).
    const uint64_t n = sampleCount % kRowModulus;
    if (n == 0) {
        m_pRows->Clear();
        m_nModesShown = 0;
    }
    if (n == 0 || !m_bTimeBaseSet)
        m_pRows->SetReadingBase(sampleCount - n);
    if (!m_bTimeBaseSet && GetDoc() != nullptr) {
        // The run started `sampleCount` periods before this reading arrived.
        const CAIDoc* doc = GetDoc();
        const double period = ReadingPeriodMs(doc->m_fReadInterval, uint32_t(m_pRows->ChannelColumns()));
        m_pRows->SetTimeBase(QDateTime::currentDateTime().addMSecs(-qint64(double(sampleCount) * period)), period);
        m_bTimeBaseSet = true;
    }
    m_pRows->Append(uint32_t(n), m_nMode, scan);
    if (!(m_nModesShown & (1u << unsigned(m_nMode)))) {
        m_nModesShown |= 1u << unsigned(m_nMode);
        FitColumns();
    }
}

void CAIDigitView::RowsInserted(int, int)
{
    if (!m_bShowPending) {
        m_bShowPending = true;
        QMetaObject::invokeMethod(this, &CAIDigitView::ShowNewRows, Qt::QueuedConnection);
    }
}

void CAIDigitView::ShowNewRows()
{
    m_bShowPending = false;
    // The range grows by the new rows and the value follows to its end at once: the
    // scroll bar paints what differs between before and after, the viewport's picture
    // moves up and the new rows are painted.
    m_pBar->Hold();
    UpdateGeometries();
    ScrollToBottom();
    m_pBar->Release();
    const int rows = m_pRows->rowCount();
    UpdateRows(m_nShownRows, rows - 1);
    m_nShownRows = rows;
}

bool CAIDigitView::event(QEvent* e)
{
    if (e->type() == MsgType(WM_DIGIT_ROW)) {
        if (const DigitRowNotice* row = static_cast<CMsgEvent*>(e)->Payload<DigitRowNotice>())
            AppendReading(row->SampleCount, row->Scan);
        return true;
    }
    return CRowTable::event(e);
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
        FitColumns();
    }
    return true;
}

// Through the main frame's router when there is one; otherwise, or when the router does
// not know the id, this view and its document.
bool CAIDigitView::RouteCommand(int nID, CCmdUI* pUI)
{
    if (AfxGetMainWnd() != nullptr && AfxGetMainWnd()->RouteCmdMsg(nID, pUI))
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
