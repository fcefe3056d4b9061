#include "app/aifrm.h"

#include "app/aibars.h"
#include "views/aicurveview.h"
#include "views/aidatavw.h"
#include "views/aidigitview.h"
#include "views/measurectl.h"
#include "views/waveimage.h"
#include "acquisition/aidoc.h"
#include "acquisition/aiparamvw.h"
#include "app/framebars.h"
#include "app/nuvapp.h"
#include "res/resource.h"
#include "app/tabs/tabctrlbar.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace nuv {

CAIFrm::CAIFrm(CAIDoc* doc, QWidget* parent) : CChildFrame(doc, parent)
{
    setObjectName(QString::number(IDR_AITYPE));
}

CAIFrm::~CAIFrm()
{
    // An acquisition still running stops before the window goes.
    if (CAIDoc* doc = GetDoc(); doc != nullptr) {
        if (doc->Running())
            doc->OnStopAcquisition();
        // The document outlives this object by a moment; it must not reach the window.
        doc->ForgetWindows();
    }
    if (theApp.m_pAIFrame == this)
        theApp.m_pAIFrame = nullptr;
}

CAIDoc* CAIFrm::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }

int CAIFrm::MenuId() const { return IDR_AITYPE; }

int CAIFrm::InitialLeftPaneWidth()
{
    return 700 + QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

bool CAIFrm::Create()
{
    CAIDoc* doc = GetDoc();
    if (doc == nullptr)
        return false;
    setDockNestingEnabled(false);
    setDockOptions(QMainWindow::AnimatedDocks);

    // Client: the split digit / waveform panes.
    m_pDigitView = new CAIDigitView(this);
    m_pCurveView = new CAICurveView(this);
    m_pDigitView->SetDocument(doc);
    m_pCurveView->SetDocument(doc);
    m_wndSplitter = new CSplitterWnd(this, m_pDigitView, m_pCurveView, InitialLeftPaneWidth());
    setCentralWidget(m_wndSplitter);
    m_bSplitterBuilt = true;

    // Posted messages of the worker reach this window.
    doc->m_hFrameWnd.store(GetSafeHwnd());
    doc->m_hCurveWnd.store(m_pCurveView->GetSafeHwnd());
    doc->m_hDigitWnd.store(m_pDigitView->GetSafeHwnd());

    // Operate bar, docked at the top.
    m_wndOperateBar = new COperateBar(this);
    addToolBar(Qt::TopToolBarArea, m_wndOperateBar);
    connect(m_wndOperateBar, &COperateBar::command, this, [this](int id) { ExecuteCmd(id); });
    for (int id : {ID_STOP_ACQ, ID_START_ACQ})
        m_wndOperateBar->Button(id)->installEventFilter(this);
    m_wndOperateBar->ZoomList()->installEventFilter(this);
    // Floating, the bar is a window of its own: its tips show while it is inactive too.
    m_wndOperateBar->setAttribute(Qt::WA_AlwaysShowToolTips);

    // Parameter bar, docked right.
    m_wndParamBar = new CTabCtrlBar(this);
    m_wndParamBar->Create(QStringLiteral(" AI配置与分析条"), 288, 800, IDC_TABBAR_CTRL);
    m_wndParamBar->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_wndParamBar);
    m_pParamView = m_wndParamBar->AddView<CAIParamVw>(QStringLiteral("参数配置"));
    if (m_pParamView == nullptr)
        return false;
    m_pParamView->SetDocument(doc);
    doc->m_hParamWnd.store(m_pParamView->GetSafeHwnd());

    // Statistics bar, docked at the bottom, hidden.
    m_wndStatBar = new CTabCtrlBar(this);
    m_wndStatBar->Create(QStringLiteral(" AI数据统计窗口"), 400, 160, IDC_TABBAR_CTRL);
    m_wndStatBar->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndStatBar);
    m_pDataView = m_wndStatBar->AddView<CAIDataVw>(QStringLiteral("AI历史回顾"));
    if (m_pDataView == nullptr)
        return false;
    m_pDataView->SetDocument(doc);
    m_wndStatBar->hide();

    // Measuring on the waveform: its options, and the statistics list filled while shown.
    m_pCurveView->SetMeasureSource(
        {[doc] { return double(doc->m_fReadInterval); }, [this] { return int(m_pDigitView->Mode()); },
         // The sweep's first slot holds a reading only once the sweep has wrapped.
         [doc] { return doc->SampleCount() < uint64_t(doc->m_nSweepLength) ? 1 : 0; },
         // The sweep on show started at the last multiple of its length before its readings.
         [doc] {
             const int64_t length = std::max(doc->m_nSweepLength, 1);
             const int64_t before = int64_t(doc->SampleCount()) - doc->SweepPos();
             return before > 0 ? before / length * length : int64_t(0);
         }});
    m_pMeasure = new CMeasureControl(m_pCurveView, this);
    m_pMeasure->SetStatisticsBar(
        m_pDataView, {[this] { return m_wndStatBar->isVisible() && !BarLiesOutside(m_wndStatBar, this); },
                      [this] { ToggleDockBar(this, m_wndStatBar, Qt::BottomDockWidgetArea); }});
    m_pMeasure->SetTimeColumnHook([this](bool on) { m_pDigitView->SetTimeColumn(on); });
    connect(m_wndStatBar, &QDockWidget::visibilityChanged, m_pMeasure, &CMeasureControl::SyncStatistics);
    connect(m_pDataView, &CAIDataVw::rowsReset, m_pMeasure, &CMeasureControl::SyncStatistics);

    // Status information bar, hidden, at the bottom.
    m_wndStatusInfoBar = new CStatusInfoBar(this);
    addToolBar(Qt::BottomToolBarArea, m_wndStatusInfoBar);
    m_wndStatusInfoBar->hide();
    // What the document tells its frame.
    connect(doc, &CAIDoc::statusInfoBarShown, this, &CAIFrm::ShowStatusInfoBar);
    connect(doc, &CAIDoc::statusFieldChanged, this, &CAIFrm::SetStatusField);
    connect(doc, &CAIDoc::paramTabSelected, this, &CAIFrm::SelectParamTab);

    // Commands go to the first pane's view unless another pane has the focus.
    SetActiveView(m_pDigitView);
    m_bWindowBuilt = true;
    return true;
}

void CAIFrm::showEvent(QShowEvent* e)
{
    CChildFrame::showEvent(e);
    if (m_wndParamBar != nullptr && !m_bPanesSized) {
        m_bPanesSized = true;
        m_wndParamBar->ApplyStoredSize();
        m_wndStatBar->ApplyStoredSize();
    }
}

void CAIFrm::LayoutPanesAfresh()
{
    if (!m_bSplitterBuilt)
        return;
    static_cast<CSplitterWnd*>(m_wndSplitter)->LayoutAfresh();
    m_wndParamBar->ApplyStoredSize();
    if (m_wndStatBar->isVisible())
        m_wndStatBar->ApplyStoredSize();
}

void CAIFrm::resizeEvent(QResizeEvent* e)
{
    CChildFrame::resizeEvent(e);
    if (!m_bSplitterBuilt)
        return;
    KeepLeftPaneToThird(m_wndSplitter, width());
}

void CAIFrm::ShowStatusInfoBar(bool show)
{
    if (m_wndStatusInfoBar != nullptr)
        m_wndStatusInfoBar->setVisible(show);
}

bool CAIFrm::IsStatusInfoBarVisible() const
{
    return m_wndStatusInfoBar != nullptr && m_wndStatusInfoBar->isVisible();
}

void CAIFrm::SetStatusField(int id, const QString& text)
{
    if (m_wndStatusInfoBar != nullptr)
        m_wndStatusInfoBar->SetField(id, text);
}

QString CAIFrm::StatusField(int id) const
{
    return m_wndStatusInfoBar != nullptr ? m_wndStatusInfoBar->Field(id) : QString();
}

void CAIFrm::SelectParamTab(int i)
{
    if (m_wndParamBar != nullptr)
        m_wndParamBar->SetActiveView(i);
}

bool CAIFrm::OnCmdMsg(int nID, CCmdUI* pUI)
{
    CAIDoc* doc = GetDoc();
    switch (nID) {
    case ID_VIEW_OPERATEBAR:
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(m_wndOperateBar->isVisible() && !BarLiesOutside(m_wndOperateBar, this) ? 1 : 0);
        } else {
            m_bOperateBarVisible = ToggleToolBar(this, m_wndOperateBar, Qt::TopToolBarArea);
        }
        return true;
    case ID_VIEW_STATUSBAR:
        if (pUI != nullptr)
            pUI->Enable(true);
        return true;
    case ID_MIDDLE_VALUE:
        return MiddleValueCmd(pUI, doc->m_bMiddleValue, [this] {
            m_pDigitView->viewport()->repaint();
            m_pCurveView->RedrawAll();
        });
    case ID_SAVE_WAVE_IMAGE:
        return SaveWaveImageCmd(pUI, m_pCurveView, this);
    default:
        if (m_pMeasure != nullptr && m_pMeasure->OnCmdMsg(nID, pUI))
            return true;
        return SplitFrameCmd(nID, pUI, this, m_wndParamBar, m_wndSplitter);
    }
}

void CAIFrm::OnMDIActivate(CChildFrame* activated)
{
    if (!m_bWindowBuilt)
        return;
    if (qobject_cast<CAIFrm*>(activated) != nullptr) {
        if (m_wndOperateBar->isFloating() && m_bOperateBarVisible)
            m_wndOperateBar->show();
        if (m_wndStatBar->isFloating() && m_bStatBarVisible)
            m_wndStatBar->show();
        return;
    }
    m_bOperateBarVisible = m_wndOperateBar->isVisible();
    if (m_wndOperateBar->isFloating() && m_bOperateBarVisible)
        m_wndOperateBar->hide();
    m_bStatBarVisible = m_wndStatBar->isVisible();
    if (m_wndStatBar->isFloating() && m_bStatBarVisible)
        m_wndStatBar->hide();
}

void CAIFrm::OnIdleUpdateCmdUI()
{
    if (!m_bWindowBuilt)
        return;
    for (int id : {ID_START_ACQ, ID_STOP_ACQ}) {
        QPushButton* b = m_wndOperateBar->Button(id);
        CCmdUI ui(id);
        b->setEnabled(RouteCmdMsg(id, &ui) && ui.m_bEnabled);
        if (ui.m_bTextSet && b->text() != ui.m_strText)
            b->setText(ui.m_strText);
    }
    m_wndParamBar->UpdateCmdUI();
    m_wndStatBar->UpdateCmdUI();
}

bool CAIFrm::eventFilter(QObject* o, QEvent* e)
{
    // Tool tips of the operate bar only while no acquisition runs, wrapped at 256 pixels.
    if (e->type() == QEvent::ToolTip) {
        if (GetDoc() != nullptr && GetDoc()->Running())
            return true;
        auto* w = qobject_cast<QWidget*>(o);
        if (w != nullptr && !w->toolTip().isEmpty()) {
            const auto* help = static_cast<QHelpEvent*>(e);
            QToolTip::showText(help->globalPos(), WrapToolTipText(w->toolTip(), QToolTip::font(), kToolTipWidth), w);
            return true;
        }
    }
    return CChildFrame::eventFilter(o, e);
}

bool CAIFrm::event(QEvent* e)
{
    if (e->type() == MsgType(WM_FILE_STATUS)) {
        if (GetDoc() != nullptr)
            GetDoc()->UpdateFileStatus();
        return true;
    }
    if (e->type() == MsgType(WM_FILE_CLOSE)) {
        if (GetDoc() != nullptr)
            GetDoc()->OnCloseDataFile();
        return true;
    }
    return CChildFrame::event(e);
}

} // namespace nuv
