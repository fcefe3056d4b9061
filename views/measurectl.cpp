#include "views/measurectl.h"

#include "views/curveviewbase.h"
#include "framework/msgseam.h"
#include "res/resource.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace nuv {

namespace {
// Posted by the whole-file pass to its progress widget.
constexpr int WM_FILESTATS_PROGRESS = WM_USER + 112;   // wParam: per mille done
constexpr int WM_FILESTATS_DONE = WM_USER + 113;

QTableWidgetItem* Cell(QTableWidget* list, int row, int column, Qt::Alignment align)
{
    QTableWidgetItem* it = list->item(row, column);
    if (it == nullptr) {
        it = new QTableWidgetItem;
        it->setTextAlignment(align | Qt::AlignVCenter);
        list->setItem(row, column, it);
    }
    return it;
}
} // namespace

void FillStatisticsRows(QTableWidget* list, const measure::ChannelDecode* decode, const measure::ChannelStats* stats,
                        int count, int decimals)
{
    if (list == nullptr)
        return;
    if (list->rowCount() != count)
        list->setRowCount(count);
    const int columns = std::min(list->columnCount(), 6);
    for (int r = 0; r < count; ++r) {
        const measure::StatsRowText t = measure::StatsRow(stats[r], decode[r], decimals);
        for (int c = 0; c < columns; ++c) {
            QTableWidgetItem* it = Cell(list, r, c, c == 0 ? Qt::AlignLeft : Qt::AlignRight);
            const QString& text = c == 0 ? t.channel : t.cells[c - 1];
            if (it->text() != text)
                it->setText(text);
            if (it->toolTip() != t.tip)
                it->setToolTip(t.tip);
        }
    }
    // Values stay whole: a column grows to its widest text, never below its own width.
    const QFontMetrics fm(list->font());
    for (int c = 1; c < columns; ++c) {
        int need = 0;
        for (int r = 0; r < count; ++r)
            need = std::max(need, fm.horizontalAdvance(list->item(r, c)->text()) + 12);
        if (need > list->columnWidth(c))
            list->setColumnWidth(c, need);
    }
}

// ---- CFileStatsJob ----

CFileStatsJob::CFileStatsJob(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    m_pLabel = new QLabel(QStringLiteral("统计整个文件"), this);
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 1000);
    m_pBar->setTextVisible(false);
    m_pBar->setFixedWidth(200);
    m_pCancel = new QPushButton(QStringLiteral("取消"), this);
    row->addWidget(m_pLabel);
    row->addWidget(m_pBar);
    row->addWidget(m_pCancel);
    connect(m_pCancel, &QPushButton::clicked, this, &CFileStatsJob::Cancel);
}

CFileStatsJob::~CFileStatsJob()
{
    m_bCancel = true;
    Join();
}

void CFileStatsJob::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CFileStatsJob::Start(const QString& path)
{
    if (IsRunning())
        return false;
    m_bCancel = false;
    m_pBar->setValue(0);
    m_pCancel->setEnabled(true);
    m_result = measure::FileStats();
    m_thread = std::thread([this, path, hwnd = m_hWnd.get()] {
        int shown = -1;
        measure::FileStats r = measure::ComputeFileStats(path, &m_bCancel, [&](uint64_t done, uint64_t total) {
            const int permille = total == 0 ? 1000 : int(done * 1000 / total);
            if (permille != shown) {
                shown = permille;
                PostMessage(hwnd, WM_FILESTATS_PROGRESS, uint64_t(permille));
            }
        });
        m_result = std::move(r);
        PostMessage(hwnd, WM_FILESTATS_DONE);
    });
    return true;
}

void CFileStatsJob::Cancel()
{
    m_bCancel = true;
    m_pCancel->setEnabled(false);
}

bool CFileStatsJob::event(QEvent* e)
{
    if (e->type() == MsgType(WM_FILESTATS_PROGRESS)) {
        m_pBar->setValue(int(static_cast<CMsgEvent*>(e)->wParam));
        return true;
    }
    if (e->type() == MsgType(WM_FILESTATS_DONE)) {
        Join();   // the thread's last act was this message
        emit finished();
        return true;
    }
    return QWidget::event(e);
}

// ---- CMeasureControl ----

CMeasureControl::CMeasureControl(CCurveViewBase* curve, QObject* parent) : QObject(parent), m_pCurve(curve)
{
    connect(curve, &CCurveViewBase::shownReadingsChanged, this, &CMeasureControl::FillShown);
}

CMeasureControl::~CMeasureControl()
{
    if (m_pJob != nullptr && m_pJob->parent() == nullptr)
        delete m_pJob;
}

void CMeasureControl::SetStatisticsBar(QTableWidget* shown, Bar bar)
{
    m_pShown = shown;
    m_bar = std::move(bar);
}

void CMeasureControl::SetWholeFile(QTableWidget* whole, std::function<QString()> path, PlaceProgress placeProgress,
                                   std::function<void()> showWhole)
{
    m_pWhole = whole;
    m_path = std::move(path);
    m_placeProgress = std::move(placeProgress);
    m_showWhole = std::move(showWhole);
}

void CMeasureControl::SetReadInterval(double ms)
{
    m_dInterval = ms;
    if (m_timeColumn)
        m_timeColumn(m_pCurve->IsTimeAxis());
    m_pCurve->RedrawAll();
    if (m_pCurve->IsReadout())
        m_pCurve->UpdateReadout();
}

void CMeasureControl::SyncStatistics()
{
    const bool on = m_pShown != nullptr && m_bar.visible && m_bar.visible();
    m_pCurve->SetStatisticsWanted(on);
    if (on)
        FillShown();
}

void CMeasureControl::FillShown()
{
    if (m_pShown == nullptr)
        return;
    measure::ChannelDecode d[8];
    measure::ChannelStats st[8];
    const int n = m_pCurve->ShownStatistics(d, st);
    FillStatisticsRows(m_pShown, d, st, n, m_pCurve->ShownDecimals());
}

void CMeasureControl::StartWholeFile()
{
    if (!m_path || m_pWhole == nullptr)
        return;
    if (m_pJob == nullptr) {
        m_pJob = new CFileStatsJob;
        connect(m_pJob.data(), &CFileStatsJob::finished, this, &CMeasureControl::WholeFileDone);
    }
    if (!m_pJob->Start(m_path()))
        return;
    if (m_placeProgress)
        m_placeProgress(m_pJob, true, {});
}

void CMeasureControl::WholeFileDone()
{
    const measure::FileStats& r = m_pJob->Result();
    if (m_placeProgress)
        m_placeProgress(m_pJob, false,
                        r.Ok() ? QStringLiteral("整个文件: 统计了%1个读数").arg(r.Readings)
                               : measure::FileStatsMessage(r));
    if (r.Status == measure::FileStatsStatus::Cancelled)
        return;
    if (!r.Ok()) {
        AfxMessageBox(measure::FileStatsMessage(r), MsgIcon::Exclamation);
        return;
    }
    measure::ChannelStats st[8];
    for (int k = 0; k < r.Channels; ++k)
        st[k] = measure::StatsOf(r.Summary[k], r.Decode[k]);
    FillStatisticsRows(m_pWhole, r.Decode, st, r.Channels, 5);
    if (m_showWhole)
        m_showWhole();
}

bool CMeasureControl::OnCmdMsg(int nID, CCmdUI* pUI)
{
    auto toggle = [&](bool on, const std::function<void(bool)>& set) {
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(on ? 1 : 0);
        } else {
            set(!on);
        }
        return true;
    };
    switch (nID) {
    case ID_VIEW_STATSBAR:
        if (m_pShown == nullptr || !m_bar.visible)
            return false;
        return toggle(m_bar.visible(), [this](bool) {
            m_bar.toggle();
            SyncStatistics();
        });
    case ID_TIME_AXIS:
        return toggle(m_pCurve->IsTimeAxis(), [this](bool on) {
            m_pCurve->SetTimeAxis(on);
            if (m_pCurve->IsReadout())
                m_pCurve->UpdateReadout();
            if (m_timeColumn)
                m_timeColumn(on);
        });
    case ID_FIT_SCALES:
        return toggle(m_pCurve->IsFitScales(), [this](bool on) { m_pCurve->SetFitScales(on); });
    case ID_CURSOR_READOUT:
        return toggle(m_pCurve->IsReadout(), [this](bool on) { m_pCurve->SetReadout(on); });
    case ID_TWO_CURSORS:
        if (!m_pCurve->IsPlayback())
            return false;
        return toggle(m_pCurve->IsSecondCursor(), [this](bool on) { m_pCurve->SetSecondCursor(on); });
    case ID_WHOLE_FILE_STATS:
        if (!m_path || m_pWhole == nullptr)
            return false;
        if (pUI != nullptr)
            pUI->Enable(!m_path().isEmpty() && (m_pJob == nullptr || !m_pJob->IsRunning()));
        else
            StartWholeFile();
        return true;
    case ID_HIST_INTERVAL:
        if (!m_pCurve->IsPlayback())
            return false;
        if (pUI != nullptr) {
            pUI->Enable(true);
        } else {
            bool ok = false;
            const double ms = QInputDialog::getDouble(
                m_pCurve, QStringLiteral("读数间隔"),
                QStringLiteral("数据文件不记录读数间隔; 横轴时间和光标时间按此间隔计算 (ms):"), m_dInterval, 1.0, 1e7, 1,
                &ok);
            if (ok)
                SetReadInterval(ms);
        }
        return true;
    default:
        return false;
    }
}

} // namespace nuv
