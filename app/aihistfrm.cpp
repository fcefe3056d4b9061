#include "app/aihistfrm.h"

#include "views/aicurvevw.h"
#include "views/aidatavw.h"
#include "views/aidigitvw.h"
#include "views/measurectl.h"
#include "views/waveimage.h"
#include "datafile/aihistdoc.h"
#include "datafile/aihistparamvw.h"
#include "datafile/csvexport.h"
#include "datafile/exportdlg.h"
#include "app/framebars.h"
#include "res/resource.h"
#include "app/tabs/tabctrlbar.h"

#include <QApplication>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>

namespace nuv {

CAIHistFrm::CAIHistFrm(CAIHistDoc* doc, QWidget* parent) : CChildFrame(doc, parent)
{
    setObjectName(QString::number(IDR_HISTTYPE));
}

CAIHistFrm::~CAIHistFrm() = default;

CAIHistDoc* CAIHistFrm::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }

int CAIHistFrm::MenuId() const { return IDR_HISTTYPE; }

int CAIHistFrm::InitialLeftPaneWidth()
{
    return 160 + QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

bool CAIHistFrm::Create()
{
    CAIHistDoc* doc = GetDoc();
    if (doc == nullptr)
        return false;
    setDockOptions(QMainWindow::AnimatedDocks);

    m_pDigitVw = new CAIDigitVw(this);
    m_pCurveVw = new CAICurveVw(this);
    m_pDigitVw->SetDocument(doc);
    m_pCurveVw->SetDocument(doc);
    m_wndSplitter = new CSplitterWnd(this, m_pDigitVw, m_pCurveVw, InitialLeftPaneWidth());
    setCentralWidget(m_wndSplitter);
    m_bSplitterBuilt = true;

    m_wndParamBar = new CTabCtrlBar(this);
    m_wndParamBar->Create(QStringLiteral(" AI配置与分析条"), 288, 800, IDC_TABBAR_CTRL);
    m_wndParamBar->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_wndParamBar);
    m_pParamVw = m_wndParamBar->AddView<CAIHistParamVw>(QStringLiteral("参数配置"));
    if (m_pParamVw == nullptr)
        return false;
    m_pParamVw->SetDocument(doc);
    // A newly opened file shows its configuration on the first tab.
    connect(doc, &CAIHistDoc::fileOpened, this, [this] { SelectParamTab(0); });

    // Statistics bar, docked at the bottom, hidden: the readings on show and the whole file.
    m_wndStatBar = new CTabCtrlBar(this);
    m_wndStatBar->Create(QStringLiteral(" AI数据统计窗口"), 400, 160, IDC_TABBAR_CTRL);
    m_wndStatBar->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndStatBar);
    m_pShownStats = m_wndStatBar->AddView<CAIDataVw>(QStringLiteral("可见窗口"));
    m_pFileStats = m_wndStatBar->AddView<CAIDataVw>(QStringLiteral("整个文件"));
    if (m_pShownStats == nullptr || m_pFileStats == nullptr)
        return false;
    m_pShownStats->OnInitialUpdate();
    m_pFileStats->OnInitialUpdate();
    m_wndStatBar->hide();

    // Measuring on the waveform; the file does not record its read interval, the operator
    // gives it ("读数间隔...").
    m_pMeasure = new CMeasureControl(m_pCurveVw, this);
    m_pCurveVw->SetMeasureSource({[this] { return m_pMeasure->ReadInterval(); }, [doc] { return doc->m_nDigitMode; },
                                  {}, {}});
    auto statsBar = CMeasureControl::Bar{[this] { return m_wndStatBar->isVisible() && !BarLiesOutside(m_wndStatBar, this); },
                                         [this] { ToggleDockBar(this, m_wndStatBar, Qt::BottomDockWidgetArea); }};
    m_pMeasure->SetStatisticsBar(m_pShownStats, statsBar);
    m_pMeasure->SetWholeFile(
        m_pFileStats, [doc] { return doc->m_bOpen ? doc->m_strPath : QString(); },
        // The pass's progress bar and cancel button live in the window's status line, which
        // stays with the pass's outcome once it has been opened.
        [this](QWidget* progress, bool running, const QString& note) {
            if (running) {
                statusBar()->clearMessage();
                statusBar()->addWidget(progress, 1);
                progress->show();
                statusBar()->show();
            } else {
                statusBar()->removeWidget(progress);
                statusBar()->showMessage(note);
            }
        },
        [this, statsBar] {
            if (!statsBar.visible())
                statsBar.toggle();
            m_wndStatBar->SetActiveView(1);
        });
    m_pMeasure->SetTimeColumnHook([this](bool on) { ApplyTimeColumn(on); });
    connect(m_wndStatBar, &QDockWidget::visibilityChanged, m_pMeasure, &CMeasureControl::SyncStatistics);
    connect(doc, &CAIHistDoc::fileOpened, this, [this] { ApplyTimeColumn(m_pCurveVw->IsTimeAxis()); });

    SetActiveView(m_pDigitVw);
    m_bWindowBuilt = true;
    return true;
}

void CAIHistFrm::ApplyTimeColumn(bool on)
{
    const CAIHistDoc* doc = GetDoc();
    QDateTime start;
    FileHeaderInfo info;
    if (doc->m_bOpen && ReadFileHeader(doc->m_Header.data(), doc->m_Header.size(), info))
        start = StartDateTime(info.Start);
    m_pDigitVw->SetTimeColumn(on, start, ReadingPeriodMs(m_pMeasure->ReadInterval(), uint32_t(doc->m_nEnabledCount)));
}

void CAIHistFrm::showEvent(QShowEvent* e)
{
    CChildFrame::showEvent(e);
    if (m_wndParamBar != nullptr && !m_bPanesSized) {
        m_bPanesSized = true;
        m_wndParamBar->ApplyStoredSize();
    }
}

void CAIHistFrm::LayoutPanesAfresh()
{
    if (!m_bSplitterBuilt)
        return;
    static_cast<CSplitterWnd*>(m_wndSplitter)->LayoutAfresh();
    m_wndParamBar->ApplyStoredSize();
}

void CAIHistFrm::resizeEvent(QResizeEvent* e)
{
    CChildFrame::resizeEvent(e);
    if (!m_bSplitterBuilt)
        return;
    KeepLeftPaneToThird(m_wndSplitter, width());
}

void CAIHistFrm::SelectParamTab(int i)
{
    if (m_wndParamBar != nullptr)
        m_wndParamBar->SetActiveView(i);
}

bool CAIHistFrm::OnCmdMsg(int nID, CCmdUI* pUI)
{
    CAIHistDoc* doc = GetDoc();
    if (nID == ID_MIDDLE_VALUE)
        return MiddleValueCmd(pUI, doc->m_bMiddleValue, [this] {
            m_pDigitVw->viewport()->repaint();
            m_pCurveVw->RedrawAll();
        });
    // The table prints the recording whichever pane has the focus.
    if ((nID == ID_FILE_PRINT || nID == ID_FILE_PRINT_DIRECT || nID == ID_FILE_PRINT_PREVIEW) && m_pDigitVw)
        return m_pDigitVw->OnCmdMsg(nID, pUI);
    if (nID == ID_EXPORT_CSV)
        return ExportCsvCmd(pUI, doc, this);
    if (nID == ID_SAVE_WAVE_IMAGE)
        return SaveWaveImageCmd(pUI, m_pCurveVw, this);
    if (m_pMeasure != nullptr && m_pMeasure->OnCmdMsg(nID, pUI))
        return true;
    return SplitFrameCmd(nID, pUI, this, m_wndParamBar, m_wndSplitter);
}

void CAIHistFrm::OnIdleUpdateCmdUI()
{
    if (m_bWindowBuilt) {
        m_wndParamBar->UpdateCmdUI();
        m_wndStatBar->UpdateCmdUI();
    }
}

} // namespace nuv
