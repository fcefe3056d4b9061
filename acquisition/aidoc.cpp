#include "acquisition/aidoc.h"

#include "acquisition/acqmsg.h"
#include "acquisition/acqworker.h"
#include "calibration/aical.h"
#include "views/aicurveview.h"
#include "views/aidigitview.h"
#include "app/aifrm.h"
#include "acquisition/aiparamvw.h"
#include "framework/msgseam.h"
#include "res/resource.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <thread>

namespace nuv {

namespace {
const QString kMsgBusy = QStringLiteral("设备忙，请重试");
const QString kMsgNoChannel = QStringLiteral("采样使能通道数为0，无法进行采样！");
const QString kMsgNoDevice = QStringLiteral("对不起，设备不存在.....");
const QString kMsgStopFirst = QStringLiteral("请先停止AI采样再进行校准操作。");

constexpr QRgb kDefaultTrace[8] = {qRgb(16, 255, 0),    qRgb(255, 255, 16), qRgb(251, 4, 200),
                                   qRgb(255, 192, 192), qRgb(185, 60, 80),  qRgb(170, 75, 100),
                                   qRgb(155, 90, 120),  qRgb(140, 105, 140)};
} // namespace

CAIDoc::CAIDoc()
{
    for (int c = 0; c < 8; ++c)
        m_TraceColor[c] = kDefaultTrace[c];
    m_CursorColor[0] = qRgb(255, 0, 0);
    m_CursorColor[1] = qRgb(255, 255, 255);
    m_CursorColor[2] = qRgb(255, 255, 128);
    ClearSweep();
}

void CAIDoc::ForgetWindows()
{
    m_pFrame = nullptr;
    m_pDigitView = nullptr;
    m_pCurveView = nullptr;
    m_pParamView = nullptr;
    m_pDataView = nullptr;
}

CAIDoc::~CAIDoc()
{
    // The windows may be gone already; the worker's last message must not reach them.
    ForgetWindows();
    if (m_pWorker != nullptr) {
        m_bRunning.store(0);
        while (!WaitForWorkerIdle()) {
        }
        delete m_pWorker;
        m_pWorker = nullptr;
    }
    if (!m_bClosed)
        MDQ4170_AI_SaveParam(m_hDevice, &m_Param);
    ReleaseDataFile();
}

void CAIDoc::LoadParam()
{
    AIParam p = m_Param;
    m_Param = MDQ4170_AI_LoadParam(m_hDevice, &p) ? p : DefaultAIParam();
}

bool CAIDoc::OnCmdMsg(int nID, CCmdUI* pUI)
{
    const bool running = m_bRunning.load() != 0;
    switch (nID) {
    case 1317:
        if (pUI != nullptr) {
            pUI->Enable(!running && !m_bFileOpen);
            pUI->SetText(QStringLiteral("开始采集任务"));
        } else if (!running && !m_bFileOpen) {
            OnStartAcquisition();
        }
        return true;
    case 1316:
        if (pUI != nullptr)
            pUI->Enable(running);
        else if (running)
            OnStopAcquisition();
        return true;
    case 32796: {
        const bool enabled = m_bFileOpen && !running && m_bWorkerIdle.load() != 0;
        if (pUI != nullptr)
            pUI->Enable(enabled);
        else if (enabled)
            OnCloseDataFile();
        return true;
    }
    case 32869:
        if (pUI != nullptr)
            pUI->Enable(true);
        else
            OnCalibration();
        return true;
    case 32818:
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(m_bTile == 1 ? 1 : 0);
        } else {
            OnTileDisplay();
        }
        return true;
    default:
        return CDocument::OnCmdMsg(nID, pUI);
    }
}

void CAIDoc::ClearSweep()
{
    // A worker finishing its last cycle after Stop may still store a reading: the sweep is
    // cleared once it has ended (its last message).
    if (m_bWorkerIdle.load(std::memory_order_acquire) == 0) {
        m_bSweepClearDue = true;
        return;
    }
    ClearSweepNow();
}

void CAIDoc::ClearSweepNow()
{
    m_bSweepClearDue = false;
    std::memset(m_CodeRing, 0, sizeof m_CodeRing);
    std::memset(m_ValueRing, 0, sizeof m_ValueRing);
    m_nSweepPos.store(0, std::memory_order_release);
}

void CAIDoc::ResetCurveView()
{
    if (m_pCurveView == nullptr)
        return;
    m_pCurveView->SetScrollSizes(m_nSweepLength + 150);
    m_pCurveView->ScrollToPosition(0, true);
    m_pCurveView->ApplyDisplayMode();
}

void CAIDoc::OnStartAcquisition()
{
    // 1. A worker still finishing its last cycle gets about 210 ms.
    for (int waits = 0; m_bWorkerIdle.load(std::memory_order_acquire) == 0; ++waits) {
        if (waits == 21) {
            AfxMessageBox(kMsgBusy);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (m_pWorker != nullptr) {   // ended: its last step was marking itself idle
        delete m_pWorker;
        m_pWorker = nullptr;
    }
    // The file questions come before anything changes, so a No leaves all as it was.
    if (m_bSaveFile == 1 && m_Param.ChannelCount != 0 && m_hDevice != MDQ4170_INVALID_HANDLE &&
        !ConfirmDataFile())
        return;
    ClearSweep();
    if (m_Param.ChannelCount == 0) {
        AfxMessageBox(kMsgNoChannel);
        return;
    }
    if (m_pDigitView != nullptr)
        m_pDigitView->OnInitialUpdate();
    m_nScrollPos = 0;
    m_nMaxScrollPos = 1;
    ResetCurveView();
    if (m_hDevice == MDQ4170_INVALID_HANDLE) {
        AfxMessageBox(kMsgNoDevice, MsgIcon::Stop);
        return;
    }
    m_bMiddleValue = 0;
    if (m_bSaveFile == 1)
        CreateDataFile();
    m_SampleCount.store(0);
    ++m_nRunId;
    m_nRunChannels.store(m_Param.ChannelCount);
    m_pWorker = new AcquisitionWorker(this);
    // Busy from now on, so a Start right after this one waits for this worker.
    m_bWorkerIdle.store(0);
    if (m_pParamView != nullptr)
        m_pParamView->EnablePanel(false);
    m_bRunning.store(1, std::memory_order_release);
    m_pWorker->Resume();
}

// Returns at once: the worker sees the cleared flag at the end of its cycle.
void CAIDoc::OnStopAcquisition()
{
    m_bRunning.store(0, std::memory_order_release);
    if (m_pParamView != nullptr)
        m_pParamView->EnablePanel(true);
}

bool CAIDoc::event(QEvent* e)
{
    if (e->type() == MsgType(WM_RUN_ENDED)) {
        if (const RunEndNotice* n = static_cast<CMsgEvent*>(e)->Payload<RunEndNotice>())
            OnRunEnded(*n);
        return true;
    }
    return CDocument::event(e);
}

// The worker of the current run has done its last file and device access.
void CAIDoc::OnRunEnded(const RunEndNotice& n)
{
    if (n.RunId != m_nRunId)
        return;   // a run before the current one
    // The record the library corrected stays in the document, unless it was edited since.
    if (n.Corrected && std::memcmp(&m_Param, &n.Given, sizeof m_Param) == 0)
        m_Param = n.Run;
    if (m_bRunning.load() != 0)
        return;
    if (m_bSweepClearDue) {
        ClearSweepNow();
        if (m_pCurveView != nullptr)
            m_pCurveView->viewport()->update();
    }
    if (m_pParamView != nullptr)
        m_pParamView->EnablePanel(true);
    // Without a frame to handle WM_USER+9 the file would stay open.
    if (m_bFileOpen)
        OnCloseDataFile();
}

void CAIDoc::OnCalibration()
{
    if (m_bRunning.load() != 0) {
        AfxMessageBox(kMsgStopFirst);
        return;
    }
    CAICal dlg(m_hDevice, m_pFrame);
    dlg.exec();
}

void CAIDoc::OnTileDisplay()
{
    m_bTile = 1;
    if (m_pCurveView != nullptr) {
        m_pCurveView->RecalcLayout();
        m_pCurveView->RedrawAll();
    }
}

bool CAIDoc::WaitForWorkerIdle()
{
    using Clock = std::chrono::steady_clock;
    QCoreApplication* app = QCoreApplication::instance();
    const bool guiThread = app != nullptr && QThread::currentThread() == app->thread();
    Clock::time_point boxSince{};
    bool boxSeen = false;
    while (m_bWorkerIdle.load(std::memory_order_acquire) == 0) {
        if (guiThread) {
            // Delivers a box the worker asked for; returns once the operator answered it.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (m_nWorkerBox.load() != 0) {
                // Still waiting for a box after events were handled: that box is up in a
                // loop below this call and cannot be answered before this call returns.
                if (!boxSeen) {
                    boxSeen = true;
                    boxSince = Clock::now();
                } else if (Clock::now() - boxSince > std::chrono::milliseconds(500)) {
                    return false;
                }
            } else {
                boxSeen = false;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void CAIDoc::OnCloseDocument()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_bRunning.load() != 0)
        OnStopAcquisition();
    const bool idle = WaitForWorkerIdle();
    MDQ4170_AI_SaveParam(m_hDevice, &m_Param);
    if (idle) {
        ReleaseDataFile();
    } else {
        // The window goes now; this document stays with its worker until the worker has
        // finished (header written, task released) and then releases the file and goes.
        setParent(nullptr);
        SetFrame(nullptr);
        ForgetWindows();
        auto* watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this, watch] {
            if (m_bWorkerIdle.load(std::memory_order_acquire) != 0) {
                watch->stop();
                deleteLater();
            }
        });
        watch->start(50);
    }
    CDocument::OnCloseDocument();
}

} // namespace nuv
