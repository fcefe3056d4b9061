#include "views/aidigitview.h"

#include "acquisition/acqmsg.h"
#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"
#include "framework/winapp.h"
#include "res/resource.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QRawFont>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace nuv {

// The vertical scroll bar of a list that grows at its bottom. When the range or the value
// changes, only what changes is painted again: the slider where it was and where it is
// now (with a margin for what a style draws around it), and an end's arrow when that end
// is reached or left (some styles grey it out). Any other change of the bar's look (its
// size, the slider shown or not, style, palette) repaints it whole as usual.
// Between Hold() and Release(), with no events handled between them, the changes are
// gathered: a range that grows and the value that follows it to the end repaint only what
// differs from the start to the end.
class CRowScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    void Hold() { m_bHeld = true; }
    void Release()
    {
        if (m_bHeld) {
            m_bHeld = false;
            Changed(SliderValueChange);
        }
    }

protected:
    void sliderChange(SliderChange change) override
    {
        if (!m_bHeld || (change != SliderValueChange && change != SliderRangeChange))
            Changed(change);
    }
    void changeEvent(QEvent* e) override
    {
        m_look = Look();   // the look may change: the next change of range or value repaints it whole
        QScrollBar::changeEvent(e);
    }

private:
    struct Look {
        QSize size;
        QRect slider, subLine, addLine;
        bool enabled = false, atMin = false, atMax = false, empty = true;
        bool SameFrame(const Look& o) const
        {
            return !size.isEmpty() && size == o.size && enabled == o.enabled && empty == o.empty &&
                   subLine == o.subLine && addLine == o.addLine;
        }
    };

    void Changed(SliderChange change)
    {
        const Look was = m_look;
        m_look = Current();
        if ((change != SliderValueChange && change != SliderRangeChange) || !was.SameFrame(m_look)) {
            QScrollBar::sliderChange(change);
            return;
        }
        QRegion dirty;
        if (was.slider != m_look.slider) {
            const int m = 2;
            dirty += was.slider.adjusted(-m, -m, m, m);
            dirty += m_look.slider.adjusted(-m, -m, m, m);
        }
        if (was.atMin != m_look.atMin)
            dirty += m_look.subLine;
        if (was.atMax != m_look.atMax)
            dirty += m_look.addLine;
        if (!dirty.isEmpty())
            update(dirty & rect());
    }

    Look Current() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QStyle* s = style();
        Look l;
        l.size = size();
        l.slider = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
        l.subLine = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSubLine, this);
        l.addLine = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, this);
        l.enabled = isEnabled();
        l.atMin = value() <= minimum();
        l.atMax = value() >= maximum();
        l.empty = minimum() >= maximum();
        return l;
    }

    Look m_look;
    bool m_bHeld = false;
};

namespace {

// Draws the list's cells as the usual delegate has the common styles draw them, without
// laying their text out each time: the glyphs of the characters the numbers are made of
// are looked up once per font, with their advances and the place of the baseline, and
// every two of them side by side are checked against the text layout (a pair the font
// kerns or joins, like "ff", is left to the layout). A cell is its text alone, placed as
// the style places it. Anything else (a selected row, the focus frame, text to be elided
// or with other characters, other styles, which may draw items their own way) goes to
// the usual delegate.
class CDigitCellDelegate : public QStyledItemDelegate {
public:
    CDigitCellDelegate(const QAbstractItemModel* rows, QObject* parent) : QStyledItemDelegate(parent), m_pRows(rows) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QWidget* widget = option.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        if (!CommonItems(style) || option.direction != Qt::LeftToRight ||
            (option.state & (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing))) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        if (index.model() == m_pRows) {
            // The list's own rows give a cell its text and alignment, nothing else.
            opt.index = index;
            opt.text = index.data(Qt::DisplayRole).toString();
            opt.displayAlignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
            opt.features = opt.text.isEmpty() ? QStyleOptionViewItem::None : QStyleOptionViewItem::HasDisplay;
        } else {
            initStyleOption(&opt, index);
        }
        const Glyphs& g = GlyphsOf(opt.font);
        bool plain = g.usable && opt.features == QStyleOptionViewItem::HasDisplay &&
                     (opt.displayAlignment & Qt::AlignLeft) && opt.backgroundBrush.style() == Qt::NoBrush;
        // Where the style puts the text: inside the focus frame's margins, centred as a
        // line of the font is high.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
        const int n = int(opt.text.size());
        QList<quint32> ids(n);
        QList<QPointF> at(n);
        if (plain) {
            const qreal baseline = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                                       QSize(1, g.height), textRect).top() + g.ascent;
            qreal x = 0;
            int before = -1;
            for (int i = 0; i < n && plain; ++i) {
                const ushort c = opt.text[i].unicode();
                const int k = c < 128 ? g.slot[c] : -1;
                plain = k >= 0 && (before < 0 || g.pair[before][k]);
                if (plain) {
                    ids[i] = g.id[k];
                    at[i] = QPointF(textRect.x() + x, baseline);
                    x += g.advance[k];
                    before = k;
                }
            }
            plain = plain && x <= textRect.width();
        }
        if (!plain) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QPalette::ColorGroup cg = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
            cg = QPalette::Inactive;
        p->save();
        if (p->hasClipping())
            p->setClipRegion(p->clipRegion() & opt.rect);
        else
            p->setClipRect(opt.rect);
        p->setPen(opt.palette.color(cg, QPalette::Text));
        QGlyphRun run;
        run.setRawFont(g.raw);
        run.setGlyphIndexes(ids);
        run.setPositions(at);
        p->drawGlyphRun(QPointF(0, 0), run);
        p->restore();
    }

private:
    // The characters the list's numbers are made of (the time column's too).
    static constexpr char kChars[] = "0123456789abcdef.-:";
    static constexpr int kCount = int(sizeof kChars) - 1;
    struct Glyphs {
        QFont font;
        bool built = false;
        bool usable = false;
        QRawFont raw;
        int8_t slot[128];              // place of a character in kChars; -1: none
        quint32 id[kCount]{};
        qreal advance[kCount]{};
        bool pair[kCount][kCount]{};   // the two side by side as the layout places them
        qreal ascent = 0;              // the baseline below the top of a line of text
        int height = 0;                // the line's height as the style rounds it
        Glyphs() { std::fill(std::begin(slot), std::end(slot), int8_t(-1)); }
    };

    // Styles that draw an item as the common style does.
    static bool CommonItems(const QStyle* style)
    {
        const char* name = style->metaObject()->className();
        return std::strcmp(name, "QFusionStyle") == 0 || std::strcmp(name, "QWindowsStyle") == 0;
    }

    const Glyphs& GlyphsOf(const QFont& font) const
    {
        if (m_glyphs.built && m_glyphs.font == font)
            return m_glyphs;
        Glyphs g;
        g.font = font;
        g.built = true;
        g.usable = true;
        const QString chars = QString::fromLatin1(kChars);
        for (int i = 0; i < kCount && g.usable; ++i) {
            g.slot[chars[i].unicode()] = int8_t(i);
            for (int j = 0; j < kCount && g.usable; ++j) {
                QTextLayout layout(QString(chars[i]) + chars[j], font);
                QTextOption textOption;
                textOption.setWrapMode(QTextOption::ManualWrap);
                layout.setTextOption(textOption);
                layout.beginLayout();
                QTextLine line = layout.createLine();
                line.setLineWidth(1000);
                line.setPosition(QPointF(0, 0));
                layout.endLayout();
                const QList<QGlyphRun> runs = layout.glyphRuns();
                const int height = layout.boundingRect().size().toSize().height();
                if (runs.size() != 1 || runs[0].positions().isEmpty()) {
                    g.usable = false;
                    break;
                }
                const QList<quint32> ids = runs[0].glyphIndexes();
                const QList<QPointF> pos = runs[0].positions();
                if (!g.raw.isValid()) {
                    g.raw = runs[0].rawFont();
                    const QList<quint32> own = g.raw.glyphIndexesForString(chars);
                    const QList<QPointF> advances = g.raw.advancesForGlyphIndexes(own);
                    g.usable = own.size() == kCount && advances.size() == kCount && !own.contains(0);
                    for (int k = 0; k < kCount && g.usable; ++k) {
                        g.id[k] = own[k];
                        g.advance[k] = advances[k].x();
                    }
                    g.ascent = pos[0].y();
                    g.height = height;
                }
                g.pair[i][j] = g.usable && runs[0].rawFont() == g.raw && height == g.height && ids.size() == 2 &&
                               ids[0] == g.id[i] && ids[1] == g.id[j] && pos[0] == QPointF(0, g.ascent) &&
                               pos[1] == QPointF(g.advance[i], g.ascent);
            }
        }
        m_glyphs = g;
        return m_glyphs;
    }

    const QAbstractItemModel* m_pRows;
    mutable Glyphs m_glyphs;
};

} // namespace

CAIDigitView::CAIDigitView(QWidget* parent) : QTableView(parent), m_pRows(new CDigitRowModel(this))
{
    setModel(m_pRows);
    setItemDelegate(new CDigitCellDelegate(m_pRows, this));
    // A scroll bar that repaints only what a new row changes; the item view's links to the
    // bar it replaces are made again.
    m_pBar = new CRowScrollBar(Qt::Vertical, this);
    setVerticalScrollBar(m_pBar);
    connect(m_pBar, &QAbstractSlider::actionTriggered, this, &CAIDigitView::verticalScrollbarAction);
    connect(m_pBar, &QAbstractSlider::valueChanged, this, &CAIDigitView::verticalScrollbarValueChanged);
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
    // readings that arrive before the view gets back to its events). Whatever else waits to
    // be laid out is laid out, and painted whole, first.
    executeDelayedItemsLayout();
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
    // The model clears itself when full; then, as after the wrap, the whole table is new.
    m_bRowLayout = n != 0 && m_pRows->rowCount() < CDigitRowModel::kMaxRows;
    m_pRows->Append(uint32_t(n), m_nMode, scan);
    executeDelayedItemsLayout();
    m_bRowLayout = false;
    if (!(m_nModesShown & (1u << unsigned(m_nMode)))) {
        m_nModesShown |= 1u << unsigned(m_nMode);
        FitColumns();
    }
    if (!m_bShowPending) {
        m_bShowPending = true;
        QMetaObject::invokeMethod(this, &CAIDigitView::ShowNewRows, Qt::QueuedConnection);
    }
}

void CAIDigitView::doItemsLayout()
{
    if (m_bRowLayout)
        return;   // one row more: ShowNewRows() makes room for it and paints it
    QTableView::doItemsLayout();   // the whole viewport is painted again
    m_nPaintedRows = m_pRows->rowCount();
}

void CAIDigitView::ShowNewRows()
{
    m_bShowPending = false;
    // The range grows by the new rows and the value follows to its end at once: the
    // scroll bar paints what differs between before and after.
    m_pBar->Hold();
    updateGeometries();
    scrollToBottom();
    m_pBar->Release();
    const int rows = m_pRows->rowCount();
    if (m_nPaintedRows < rows) {
        const int top = std::max(0, rowViewportPosition(m_nPaintedRows));
        if (top < viewport()->height())
            viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
    }
    m_nPaintedRows = rows;
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
