#include "views/aicurvevw.h"

#include "datafile/aihistdoc.h"
#include "framework/winapp.h"
#include "res/resource.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <algorithm>
#include <climits>

namespace nuv {

using namespace curve;

CAICurveVw::CAICurveVw(QWidget* parent) : CCurveViewBase(parent) {}

CAICurveVw::~CAICurveVw()
{
    // The document loads its default window again.
    if (CAIHistDoc* doc = GetDoc())
        doc->m_Screen = HistScreen{};
}

CAIHistDoc* CAICurveVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }

int CAICurveVw::StripCount() const
{
    const CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return kMaxStrips;
    return std::clamp(int(doc->m_nChannelCount), 1, kMaxStrips);
}

void CAICurveVw::OnInitialUpdate()
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    PublishScreen();   // before any layout too: the document sizes its window by it
    // An opened file has handed its own records to SetChannelRange already.
    InitialUpdate(doc->m_nMaxPosition, doc->m_bOpen == 0 ? doc->m_Param.Range : nullptr, MDQ4170_INVALID_HANDLE);
}

void CAICurveVw::ApplyDeviceRange(int strip, uint32_t rangeCode, const RangeInfo& info)
{
    SetChannelRange(strip, strip, rangeCode, info);
    CAIHistDoc* doc = GetDoc();
    doc->m_dOffset[strip] = info.RangeMin;
    doc->m_dGain[strip] = info.CodeStep;
}

void CAICurveVw::SetChannelRange(int channel, int slot, uint32_t rangeCode, const RangeInfo& info)
{
    if (slot < 0 || slot >= kMaxStrips)
        return;
    // Drawing follows the code the record itself describes (its first word).
    m_scale[slot] = ScaleFromRange(info.RangeCode, info);
    m_nRangeCode[slot] = int(rangeCode);
    m_nChannelNo[slot] = channel;
    RecalcLayout();
    RedrawAll();
}

int CAICurveVw::UpdateVisibleCount()
{
    RefreshVisibleCount();
    return m_nVisibleCount;
}

void CAICurveVw::FollowPosition()
{
    UpdateVisibleCount();
    if (CAIHistDoc* doc = GetDoc())
        doc->ReloadWindow();   // as long as the screen this view published
}

void CAICurveVw::PublishScreen()
{
    // A screen away from the end shows plot width + 1 readings (at most what the point
    // buffers hold); the document cuts that at the end of the file as VisibleCount does.
    if (CAIHistDoc* doc = GetDoc())
        doc->m_Screen = HistScreen{m_layout.plotWidth, VisibleCount(m_layout.plotWidth, 0, INT_MAX, kPointCapacity)};
}

void CAICurveVw::OnUpdate(CView*, int hint)
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return;
    switch (HistHint(hint)) {
    case HistHint::FileOpened:
        // Slot k shows the k-th enabled channel with the range its record describes.
        for (int k = 0; k < doc->m_nEnabledCount; ++k) {
            const int c = doc->m_nEnabled[k];
            SetChannelRange(c, k, doc->m_Param.Range[c], doc->m_RangeInfo[c]);
        }
        SetScrollSizes(doc->m_nMaxPosition);
        break;
    case HistHint::WindowLoaded:
    case HistHint::PositionMoved:
        RefreshVisibleCount();
        SetScrollBarPos(doc->m_nPosition);
        RedrawAll();
        // After a scroll elsewhere the cursors stay where they are on screen, over other
        // readings.
        if (HistHint(hint) == HistHint::PositionMoved)
            PublishCursorIndices();
        break;
    case HistHint::DisplayMode:
        ApplyDisplayMode();
        break;
    case HistHint::DigitMode:
        if (IsReadout())
            UpdateReadout();   // the read-out prints as the table does
        break;
    default:
        break;
    }
}

bool CAICurveVw::HasDoc() const { return GetDoc() != nullptr; }
int CAICurveVw::Position() const { return GetDoc()->m_nPosition; }
void CAICurveVw::SetPosition(int position) { GetDoc()->m_nPosition = position; }
int CAICurveVw::MaxPosition() const { return GetDoc()->m_nMaxPosition; }
int CAICurveVw::EndPosition() const { return GetDoc()->EndPosition(); }
int CAICurveVw::SelectedStrip() const { return GetDoc()->m_nSelSlot; }
void CAICurveVw::SetSelectedStrip(int strip) { GetDoc()->m_nSelSlot = strip; }

bool CAICurveVw::Tiled() const
{
    const CAIHistDoc* doc = GetDoc();
    return doc != nullptr && doc->m_bTile;
}

QRgb* CAICurveVw::TraceColors() const
{
    CAIHistDoc* doc = GetDoc();
    return doc != nullptr ? doc->m_TraceColor : nullptr;
}

QRgb* CAICurveVw::CursorColors() const
{
    CAIHistDoc* doc = GetDoc();
    return doc != nullptr ? doc->m_CursorColor : nullptr;
}

void CAICurveVw::StorePlotWidth(int width)
{
    if (CAIHistDoc* doc = GetDoc())
        doc->m_nWindowLength = uint32_t(width);
    PublishScreen();
}

void CAICurveVw::StoreVisibleCount(int count) { GetDoc()->m_nWindowLength = uint32_t(count); }
void CAICurveVw::StoreCursorIndex(int k, int index) { GetDoc()->m_nCursorScan[k] = index; }

bool CAICurveVw::KeepsStripGeometry() const
{
    // Overlay keeps the strips' last geometry.
    return !Tiled();
}

bool CAICurveVw::DataWindow(int& count, int& x0) const
{
    const CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || !doc->m_bOpen || doc->m_nChannelCount == 0)
        return false;
    count = std::min(m_nVisibleCount, int(CAIHistDoc::kWindowScans));
    x0 = m_layout.plot.left;
    return true;
}

const uint16_t* CAICurveVw::StripCodes(int strip) const { return GetDoc()->m_Window[strip]; }

void CAICurveVw::DescribeScene(CurveScene& s) const
{
    const CAIHistDoc* doc = GetDoc();
    const bool open = doc != nullptr && doc->m_bOpen;
    s.strips = open ? std::min(int(doc->m_nChannelCount), kMaxStrips) : StripCount();
    s.tiled = doc == nullptr || doc->m_bTile;
    s.extent = doc != nullptr ? doc->m_nMaxPosition : 0;
    s.bandWidth = m_nVisibleCount;
}

void CAICurveVw::PositionMoved()
{
    if (CAIHistDoc* doc = GetDoc())
        doc->UpdateAllViews(this, HistHint::PositionMoved);
}

void CAICurveVw::CursorsPublished()
{
    if (CAIHistDoc* doc = GetDoc())
        doc->UpdateAllViews(this, HistHint::CursorsMoved);
}

bool CAICurveVw::BuildContextMenu(QMenu& menu)
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr || !doc->m_bOpen)
        return false;
    menu.setTitle(QStringLiteral("显示(波形窗)"));
    auto add = [&menu](int id, const QString& text) {
        QAction* a = menu.addAction(text);
        a->setData(id);
        a->setObjectName(QString::number(id));
        CCmdUI ui(id);
        const bool handled = AfxGetMainWnd() != nullptr && AfxGetMainWnd()->RouteCmdMsg(id, &ui);
        a->setEnabled(handled && ui.m_bEnabled);
        if (ui.m_bCheckSet) {
            a->setCheckable(true);
            a->setChecked(ui.m_nCheck != 0);
        }
    };
    add(ID_RETURN_ACQ, QStringLiteral("返回到采集"));
    menu.addSeparator();
    add(ID_TWO_CURSORS, QStringLiteral("双光标测量"));
    add(ID_WHOLE_FILE_STATS, QStringLiteral("统计整个文件"));
    return true;
}

void CAICurveVw::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    if (!BuildContextMenu(menu))
        return;
    const QPoint at = e->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(QPoint(5, 5))
                                                                 : e->globalPos();
    QAction* chosen = menu.exec(at);
    if (chosen != nullptr && chosen->isEnabled() && AfxGetMainWnd() != nullptr)
        AfxGetMainWnd()->RouteCmdMsg(chosen->data().toInt(), nullptr);
}

} // namespace nuv
