#include "views/aidigitvw.h"

#include "views/aidigitvw_table.h"
#include "views/rowscrollbar.h"
#include "datafile/aihistdoc.h"
#include "framework/winapp.h"
#include "res/resource.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace nuv {

namespace {
constexpr int kLineStep = 16;       // readings per line of the vertical bar
constexpr int kWheelStep = 40;      // readings per wheel message
constexpr int kExtraHeight = 720;   // the scrollable height is the maximum position + 720
} // namespace

CAIDigitVw::CAIDigitVw(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("CAIDigitVw"));
    // No frame: the pane's width is the table's first column plus the scroll bar, and a
    // frame would hide the column's last digit.
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);   // the paint covers the whole client area
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Each page step moves the thumb: only the thumb is painted again.
    setVerticalScrollBar(new CRowScrollBar(Qt::Vertical, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CAIDigitVw::OnBarAction);
}

CAIDigitVw::~CAIDigitVw() = default;

CAIHistDoc* CAIDigitVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }

void CAIDigitVw::OnInitialUpdate()
{
    const CAIHistDoc* d = GetDoc();
    m_measured = {};
    SetScrollSizes(d != nullptr ? d->m_nScanCount : 0);
    m_bInitialized = true;
}

void CAIDigitVw::OnUpdate(CView*, int hint)
{
    const CAIHistDoc* d = GetDoc();
    switch (HistHint(hint)) {
    case HistHint::FileOpened:
        if (d != nullptr)
            SetScrollSizes(d->m_nMaxPosition);
        break;
    case HistHint::WindowLoaded:
    case HistHint::PositionMoved:
        if (d != nullptr)
            SetPosition(d->m_nPosition);
        break;
    case HistHint::CursorsMoved:
        viewport()->update();
        break;
    case HistHint::DisplayMode:
        break;   // the waveform's
    case HistHint::DigitMode:
    default:
        UpdateBars();   // a new number format can widen the columns
        viewport()->update();
        break;
    }
}

void CAIDigitVw::SetScrollSizes(int maxPosition)
{
    m_nMaxPosition = std::max(0, maxPosition);
    const int64_t total = std::min<int64_t>(int64_t(m_nMaxPosition) + kExtraHeight, INT_MAX);
    m_nPageStep = int(total / 10);
    UpdateBars();
}

void CAIDigitVw::UpdateBars()
{
    const int64_t total = std::min<int64_t>(int64_t(m_nMaxPosition) + kExtraHeight, INT_MAX);
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker blockV(v);
    v->setRange(0, int(std::max<int64_t>(0, total - viewport()->height())));
    v->setPageStep(std::max(1, m_nPageStep));
    v->setSingleStep(std::max(1, int(total / 100)));
    if (CAIHistDoc* d = GetDoc())
        v->setValue(d->m_nPosition);

    const CAIHistDoc* d = GetDoc();
    int width = 9 * digittable::kColumnStep;
    if (d != nullptr && d->m_bOpen)
        width = Columns().Width();
    else if (d != nullptr)
        width = (int(std::min<uint32_t>(d->m_nChannelCount, 8)) + 1) * digittable::kColumnStep;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(std::max(1, width / 10));
    h->setSingleStep(std::max(1, width / 100));
}

void CAIDigitVw::SetPosition(int position)
{
    m_nEndPin = -1;   // another view moved the position
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker block(v);
    v->setValue(position);
    viewport()->update();
}

void CAIDigitVw::SetTimeColumn(bool on, const QDateTime& start, double periodMs)
{
    m_bTime = on;
    m_time.Start = start;
    m_time.PeriodMs = periodMs;
    m_nDrawnPos = -1;   // the picture is painted afresh
    UpdateBars();
    viewport()->update();
}

void CAIDigitVw::ApplyPosition(int position)
{
    m_nEndPin = -1;
    verticalScrollBar()->setSliderPosition(position);
    // The waveform follows and moves the readings under its cursors, which the table
    // highlights.
    if (CAIHistDoc* d = GetDoc())
        d->MoveTo(position, this);
    viewport()->update();
}

int CAIDigitVw::OnVScroll(VScroll request, int trackPos)
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr)
        return 0;
    const int64_t p = d->m_nPosition;
    const int64_t m = std::max<int32_t>(0, d->m_nMaxPosition);
    int64_t np = p;
    switch (request) {
    case VScroll::LineUp: np = p - kLineStep; break;
    case VScroll::LineDown: np = p + kLineStep; break;
    case VScroll::PageUp: np = p - m_nPageStep; break;
    case VScroll::PageDown: np = p + m_nPageStep; break;
    case VScroll::ThumbTrack: np = trackPos; break;
    case VScroll::Top: np = 0; break;
    case VScroll::Bottom: np = d->EndPosition(); break;   // the last screenful, as End in the waveform
    case VScroll::ThumbPosition:
    case VScroll::EndScroll: return int(p);
    }
    np = std::clamp<int64_t>(np, 0, m);
    ApplyPosition(int(np));
    if (request == VScroll::Bottom) {
        m_nEndPin = d->m_nPosition;
        m_nEndPinGeneration = d->m_nGeneration;
        viewport()->update();
    }
    return int(np);
}

int CAIDigitVw::OnWheel(int delta)
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr)
        return 0;
    const int64_t p = d->m_nPosition;
    const int64_t np = std::clamp<int64_t>(delta > 0 ? p - kWheelStep : p + kWheelStep, 0,
                                           std::max<int32_t>(0, d->m_nMaxPosition));
    ApplyPosition(int(np));
    return int(np);
}

void CAIDigitVw::OnBarAction(int action)
{
    // Runs before the bar takes its new value: the request is mapped to a reading and
    // the bar's position replaced by it.
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: OnVScroll(VScroll::LineUp); break;
    case QAbstractSlider::SliderSingleStepAdd: OnVScroll(VScroll::LineDown); break;
    case QAbstractSlider::SliderPageStepSub: OnVScroll(VScroll::PageUp); break;
    case QAbstractSlider::SliderPageStepAdd: OnVScroll(VScroll::PageDown); break;
    case QAbstractSlider::SliderToMinimum: OnVScroll(VScroll::Top); break;
    case QAbstractSlider::SliderToMaximum: OnVScroll(VScroll::Bottom); break;
    case QAbstractSlider::SliderMove: OnVScroll(VScroll::ThumbTrack, verticalScrollBar()->sliderPosition()); break;
    default: break;
    }
}

void CAIDigitVw::scrollContentsBy(int, int)
{
    // Nothing scrolls by pixels: every paint draws the table at the current position.
    viewport()->update();
}

void CAIDigitVw::wheelEvent(QWheelEvent* e)
{
    const int dy = e->angleDelta().y();
    if (dy == 0) {
        QAbstractScrollArea::wheelEvent(e);   // sideways: the horizontal bar
        return;
    }
    OnWheel(dy);
    e->accept();
}

void CAIDigitVw::keyPressEvent(QKeyEvent* e)
{
    // Home and End (also with Ctrl) go to the first and the last screenful; the other keys
    // move the bars as usual.
    if (e->key() == Qt::Key_Home || e->key() == Qt::Key_End) {
        OnVScroll(e->key() == Qt::Key_Home ? VScroll::Top : VScroll::Bottom);
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void CAIDigitVw::mouseMoveEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mouseMoveEvent(e);
}

void CAIDigitVw::resizeEvent(QResizeEvent* e)
{
    m_image = QImage();
    m_nDrawnPos = -1;
    QAbstractScrollArea::resizeEvent(e);
    UpdateBars();
}

CAIDigitVw::Drawn CAIDigitVw::DrawnNow() const
{
    Drawn k;
    const CAIHistDoc* d = GetDoc();
    k.size = m_image.size();
    k.hscroll = horizontalScrollBar()->value();
    if (d == nullptr || !d->m_bOpen)
        return k;
    k.doc = d;
    k.generation = d->m_nGeneration;
    k.mode = d->m_nDigitMode;
    k.cursor1 = d->m_nCursorScan[0];
    k.cursor2 = d->m_nCursorScan[1];
    k.end = std::min(d->m_nMaxPosition, d->m_nScanCount);
    k.time = m_bTime;
    k.timeStart = m_time.Start.isValid() ? m_time.Start.toMSecsSinceEpoch() : 0;
    k.timePeriod = m_time.PeriodMs;
    for (int c = 0; c < 8; ++c)
        k.colours = k.colours * 1000003u + d->m_TraceColor[c];
    k.colours = k.colours * 1000003u + d->m_CursorColor[0];
    k.colours = k.colours * 1000003u + d->m_CursorColor[1];
    return k;
}

bool CAIDigitVw::ShiftPicture(int64_t from, int64_t to)
{
    // Only between two positions that both fill every row on screen from data at hand.
    const CAIHistDoc* d = GetDoc();
    const int h = m_image.height();
    const int rowSlots = (h - digittable::kRowHeight + digittable::kRowHeight - 1) / digittable::kRowHeight;   // rows with any pixel on screen
    const int64_t delta = to - from;
    if (d == nullptr || !d->m_bOpen || from < 0 || delta == 0 || rowSlots > int(kHistTableRows) ||
        std::abs(delta) >= rowSlots - 1 || !(DrawnNow() == m_drawn))
        return false;
    const int64_t end = std::min(d->m_nMaxPosition, d->m_nScanCount);
    if (from + rowSlots > end || to + rowSlots > end || d->m_nLoadedScans < uint32_t(rowSlots))
        return false;

    const int step = digittable::kRowHeight;
    const int top = step;                          // the header row stays
    const int moved = int(std::abs(delta)) * step;
    const int full = (h - top) / step;             // rows wholly on screen
    uchar* bits = m_image.bits();
    const qsizetype line = m_image.bytesPerLine();
    QRect dirty;
    if (delta > 0) {
        std::memmove(bits + line * top, bits + line * (top + moved), size_t(line) * size_t(h - top - moved));
        const int y = top + (full - int(delta)) * step;
        dirty = QRect(0, y, m_image.width(), h - y);
    } else {
        std::memmove(bits + line * (top + moved), bits + line * top, size_t(line) * size_t(h - top - moved));
        dirty = QRect(0, top, m_image.width(), moved);
    }
    QPainter p(&m_image);
    DigitTableStyle style;
    style.GlyphRuns = true;
    style.Layout = &Columns();
    style.Time = TimeColumn();
    PaintDigitTable(p, m_image.size(), *d, ShownRows(h), horizontalScrollBar()->value(), style, &dirty);
    return true;
}

void CAIDigitVw::RenderTo(QImage& image)
{
    // Without a file the window stays black; with one the table covers it.
    const CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen) {
        image.fill(Qt::black);
        return;
    }
    const DigitTableRows rows = ShownRows(image.height());
    QPainter p(&image);
    DigitTableStyle style;
    style.GlyphRuns = true;
    style.Layout = &Columns();
    style.Time = TimeColumn();
    PaintDigitTable(p, image.size(), *d, rows, horizontalScrollBar()->value(), style);
}

const DigitTableLayout& CAIDigitVw::Columns() const
{
    const CAIHistDoc* d = GetDoc();
    const Measured now{d, d != nullptr ? d->m_nGeneration : 0u, d != nullptr ? d->m_nDigitMode : 0, m_bTime};
    if (!(now == m_measured) || d == nullptr || !d->m_bOpen) {
        m_columns = d != nullptr ? MeasureDigitTable(*d) : DigitTableLayout{};
        m_columns.TimeWidth = m_bTime ? DigitTableTimeWidth() : 0;
        m_measured = d != nullptr && d->m_bOpen ? now : Measured{};
    }
    return m_columns;
}

int64_t CAIDigitVw::TopRow(int height) const
{
    const CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return 0;
    if (height < 0)
        height = viewport()->height();
    const int64_t position = d->m_nPosition;
    const int64_t end = std::min(d->m_nMaxPosition, d->m_nScanCount);
    const int whole = std::clamp((height - digittable::kRowHeight) / digittable::kRowHeight, 1, int(kHistTableRows));
    const int64_t last = std::max<int64_t>(0, end - whole);
    const bool pinned = m_nEndPin == position && m_nEndPinGeneration == d->m_nGeneration;
    if (position > last || pinned || (position > 0 && position >= d->EndPosition()))
        return last;
    return position;
}

DigitTableRows CAIDigitVw::ShownRows(int height)
{
    DigitTableRows rows;
    rows.MaxRows = int(kHistTableRows);
    CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return rows;
    const int64_t position = d->m_nPosition;
    const int64_t top = TopRow(height);
    const int64_t end = std::min(d->m_nMaxPosition, d->m_nScanCount);
    const int onScreen = std::clamp((height + digittable::kRowHeight - 1) / digittable::kRowHeight - 1, 0,
                                 int(kHistTableRows));   // rows with any pixel on screen
    const int64_t wanted = std::min<int64_t>(onScreen, std::max<int64_t>(0, end - top));
    const int64_t loaded = std::min<int64_t>(d->m_nLoadedScans, kHistWindowScans);
    rows.First = top;
    if (top >= position && (top - position + wanted <= loaded || top == position)) {
        // Within the loaded window (from the position it shows what the window holds).
        rows.Available = int(std::clamp<int64_t>(loaded - (top - position), 0, kHistTableRows));
        rows.Codes = &d->m_Window[0][top - position];
        rows.SlotStride = kHistWindowScans;
        rows.RowStride = 1;
        return rows;
    }
    const uint32_t channels = d->m_nChannelCount;
    m_EndRows.assign(size_t(wanted) * channels, 0);
    rows.Available = int(d->ReadScans(top, uint32_t(wanted), m_EndRows.data()));
    rows.Codes = m_EndRows.data();
    rows.SlotStride = 1;
    rows.RowStride = channels;
    return rows;
}

void CAIDigitVw::paintEvent(QPaintEvent*)
{
    const QSize size = viewport()->size();
    if (size.isEmpty())
        return;
    if (m_image.size() != size) {
        m_image = QImage(size, QImage::Format_RGB32);
        m_nDrawnPos = -1;
    }
    const CAIHistDoc* d = GetDoc();
    const int64_t pos = d != nullptr ? d->m_nPosition : 0;
    const int64_t top = TopRow(size.height());
    if (top != pos || !ShiftPicture(m_nDrawnPos, pos))
        RenderTo(m_image);
    m_drawn = DrawnNow();
    m_nDrawnPos = top;
    QPainter p(viewport());
    p.drawImage(0, 0, m_image);
}

bool CAIDigitVw::OnCmdMsg(int nID, CCmdUI* pUI)
{
    CAIHistDoc* d = GetDoc();
    switch (nID) {
    case ID_DIGIT_DEC:
    case ID_DIGIT_HEX:
    case ID_DIGIT_VOLT: {
        if (d == nullptr)
            return false;
        const int mode = nID - ID_DIGIT_DEC;
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(d->m_nDigitMode == mode ? 1 : 0);
            return true;
        }
        d->m_nDigitMode = mode;
        d->UpdateAllViews(nullptr, HistHint::DigitMode);
        return true;
    }
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
        if (pUI != nullptr) {
            pUI->Enable(d != nullptr && d->m_bOpen);
            if (nID == ID_FILE_PRINT_DIRECT)
                pUI->SetText(PrintDirectText());
            return true;
        }
        if (d == nullptr || !d->m_bOpen)
            return true;
        if (nID == ID_FILE_PRINT)
            OnFilePrint();
        else if (nID == ID_FILE_PRINT_DIRECT)
            OnFilePrintDirect();
        else
            OnFilePrintPreview();
        return true;
    default:
        return false;
    }
}

void CAIDigitVw::contextMenuEvent(QContextMenuEvent* e)
{
    const QPoint at = e->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(QPoint(5, 5))
                                                                 : e->globalPos();
    // Commands go the way menu commands go: through the main frame when there is one.
    auto route = [this](int id, CCmdUI* ui) {
        if (AfxGetMainWnd() != nullptr)
            return AfxGetMainWnd()->RouteCmdMsg(id, ui);
        if (OnCmdMsg(id, ui))
            return true;
        return GetDocument() != nullptr && GetDocument()->OnCmdMsg(id, ui);
    };
    QMenu menu(this);
    const struct { int id; const char* text; } items[] = {
        {ID_DIGIT_DEC, "十进制显示(原码)"},
        {ID_DIGIT_HEX, "十六进制显示(原码)"},
        {ID_DIGIT_VOLT, "电压显示(伏)"},
        {0, nullptr},
        {ID_RETURN_ACQ, "返回到采集"},
    };
    for (const auto& item : items) {
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(QString::fromUtf8(item.text));
        a->setObjectName(QString::number(item.id));
        CCmdUI ui(item.id);
        const bool handled = route(item.id, &ui);
        a->setEnabled(handled && ui.m_bEnabled);
        if (ui.m_bCheckSet) {
            a->setCheckable(true);
            a->setChecked(ui.m_nCheck != 0);
        }
        connect(a, &QAction::triggered, this, [route, id = item.id] { route(id, nullptr); });
    }
    menu.exec(at);
    e->accept();
}

} // namespace nuv
