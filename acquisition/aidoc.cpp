#include "acquisition/aidoc.h"

#include "acquisition/acqmsg.h"
#include "acquisition/acqworker.h"
#include "calibration/aical.h"
#include "framework/childfrm.h"
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
}

void CAIDoc::ForgetWindows()
{
    m_bWindowsGone = true;
    m_hFrameWnd.store(0);
    m_hCurveWnd.store(0);
    m_hDigitWnd.store(0);
    m_hParamWnd.store(0);
}

void CAIDoc::Notify(int hint)
{
    if (!m_bWindowsGone)
        UpdateAllViews(nullptr, hint);
}

void CAIDoc::ShowStatusInfoBar(bool show)
{
    if (!m_bWindowsGone)
        emit statusInfoBarShown(show);
}

void CAIDoc::SetStatusField(int id, const QString& text)
{
    if (!m_bWindowsGone)
        emit statusFieldChanged(id, text);
}

CAIDoc::~CAIDoc()
{
    // The windows may be gone already; the worker's last message must not reach them.
    ForgetWindows();
    if (m_pWorker != nullptr) {
        SetRunning(false);
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
    const bool running = Running();
    switch (nID) {
    case ID_START_ACQ:
        if (pUI != nullptr) {
            pUI->Enable(!running && !m_bFileOpen);
            pUI->SetText(QStringLiteral("开始采集任务"));
        } else if (!running && !m_bFileOpen) {
            OnStartAcquisition();
        }
        return true;
    case ID_STOP_ACQ:
        if (pUI != nullptr)
            pUI->Enable(running);
        else if (running)
            OnStopAcquisition();
        return true;
    case ID_RETURN_ACQ: {
        const bool enabled = m_bFileOpen && !running && WorkerIdle();
        if (pUI != nullptr)
            pUI->Enable(enabled);
        else if (enabled)
            OnCloseDataFile();
        return true;
    }
    case ID_DEVICE_CAL:
        if (pUI != nullptr)
            pUI->Enable(true);
        else
            OnCalibration();
        return true;
    case ID_TILE_DISPLAY:
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
    m_bSweepClearDue = !TryClearSweep();
}

void CAIDoc::ClearSweepNow()
{
    m_bSweepClearDue = false;
    ClearSweepBuffer();
}

void CAIDoc::ParamShown(const AIParam& p)
{
    m_nShownChannels = p.ChannelCount;
    Notify(kHintRowCount);
    Notify(kHintColumns);
    m_nScrollPos = 0;
    ClearSweep();
    ResetSweep();
}

void CAIDoc::SetChannelRun(uint32_t first, uint32_t count)
{
    m_Param.FirstChannel = first;
    m_Param.ChannelCount = count;
    Notify(kHintColumns);
    ResetSweep();
}

// The steps a range change and the match to channel 0 share.
void CAIDoc::ApplyChannelRange(int k, int code)
{
    if (code < 0)
        return;
    m_Param.Range[k] = uint32_t(code);
    m_RangeInfo[k] = DisplayRangeInfo(m_hDevice, uint32_t(code));
    ClearSweep();
    Notify(RangeHint(k));
    ResetSweep();
}

void CAIDoc::SetChannelRange(int k, int code)
{
    ApplyChannelRange(k, code);
    Notify(kHintColumns);
}

void CAIDoc::SetAllRanges(int code)
{
    for (int k = 0; k < kChannels; ++k)
        ApplyChannelRange(k, code);
    Notify(kHintColumns);
    ResetSweep();
}

void CAIDoc::ShowRanges()
{
    for (int k = 0; k < kChannels; ++k) {
        m_RangeInfo[k] = DisplayRangeInfo(m_hDevice, m_Param.Range[k]);
        Notify(RangeHint(k));
    }
}

void CAIDoc::SetSaveFile(bool on, const QString& path)
{
    if (on)
        m_strDataFile = path;
    m_bSaveFile = on ? 1 : 0;
    ShowStatusInfoBar(on);
}

void CAIDoc::OnStartAcquisition()
{
    // 1. A worker still finishing its last cycle gets about 210 ms.
    for (int waits = 0; !WorkerIdle(); ++waits) {
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
    Notify(kHintColumns);
    m_nScrollPos = 0;
    m_nMaxScrollPos = 1;
    ResetSweep();
    if (m_hDevice == MDQ4170_INVALID_HANDLE) {
        AfxMessageBox(kMsgNoDevice, MsgIcon::Stop);
        return;
    }
    m_bMiddleValue = 0;
    if (m_bSaveFile == 1)
        CreateDataFile();
    ++m_nRunId;
    PrepareRun(m_Param.ChannelCount);
    m_pWorker = new AcquisitionWorker(this);
    SetRunning(true);
    Notify(kHintRunState);
    m_pWorker->Resume();
}

// Returns at once: the worker sees the cleared flag at the end of its cycle.
void CAIDoc::OnStopAcquisition()
{
    SetRunning(false);
    Notify(kHintRunState);
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
    if (Running())
        return;
    if (m_bSweepClearDue) {
        ClearSweepNow();
        Notify(kHintSweepCleared);
    }
    Notify(kHintRunState);
    // Without a frame to handle WM_USER+9 the file would stay open.
    if (m_bFileOpen)
        OnCloseDataFile();
}

void CAIDoc::OnCalibration()
{
    if (Running()) {
        AfxMessageBox(kMsgStopFirst);
        return;
    }
    CAICal dlg(m_hDevice, GetFrame());
    dlg.exec();
}

void CAIDoc::OnTileDisplay()
{
    m_bTile = 1;
    Notify(kHintLayout);
}

bool CAIDoc::WaitForWorkerIdle()
{
    using Clock = std::chrono::steady_clock;
    QCoreApplication* app = QCoreApplication::instance();
    const bool guiThread = app != nullptr && QThread::currentThread() == app->thread();
    Clock::time_point boxSince{};
    bool boxSeen = false;
    while (!WorkerIdle()) {
        if (guiThread) {
            // Delivers a box the worker asked for; returns once the operator answered it.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (WorkerBoxUp()) {
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
    if (Running())
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
            if (WorkerIdle()) {
                watch->stop();
                deleteLater();
            }
        });
        watch->start(50);
    }
    CDocument::OnCloseDocument();
}

} // namespace nuv
