#include "app/aihistfrm.h"

#include "views/aicurvevw.h"
#include "views/aidigitvw.h"
#include "views/waveimage.h"
#include "datafile/aihistdoc.h"
#include "datafile/aihistparamvw.h"
#include "datafile/exportdlg.h"
#include "app/framebars.h"
#include "res/resource.h"
#include "app/tabs/tabctrlbar.h"

#include <QApplication>
#include <QSplitter>
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

    SetActiveView(m_pDigitVw);
    m_bWindowBuilt = true;
    return true;
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
    return SplitFrameCmd(nID, pUI, this, m_wndParamBar, m_wndSplitter);
}

void CAIHistFrm::OnIdleUpdateCmdUI()
{
    if (m_bWindowBuilt)
        m_wndParamBar->UpdateCmdUI();
}

} // namespace nuv
