// The live AI document: the parameter set in force, the latest readings, the sweep
// buffer of the live waveform view, the acquisition and recording state.
//
// Sharing with the acquisition worker: flags and counters are atomic; the worker writes
// readings before posting the message that announces them (release), the window thread
// reads them after receiving it (acquire). Fields the worker only reads (m_Param, the
// intervals, m_bSaveFile, m_bShowWave) change only while no acquisition runs.
#pragma once

#include "acquisition/aitypes.h"
#include "framework/document.h"
#include "device/mdq4170.h"
#include "framework/wndmsg.h"

#include <QRgb>
#include <QString>
#include <atomic>
#include <cstdint>

namespace nuv {

class CAIFrm;
class CAIDigitView;
class CAICurveView;
class CAIParamVw;
class CAIDataVw;
class AcquisitionWorker;
struct RunEndNotice;

// The worker's last message of a run, to the document (payload RunEndNotice).
constexpr int WM_RUN_ENDED = WM_USER + 102;

class CAIDoc : public CDocument {
    Q_OBJECT
public:
    static constexpr int kRingSize = 131072;

    CAIDoc();
    ~CAIDoc() override;

    // The module this window works with, handed over by whoever creates the window.
    MDQ4170_HANDLE m_hDevice = MDQ4170_INVALID_HANDLE;

    // Commands: 1317, 1316, 32796, 32869, 32818 (32850 has no handler here).
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;
    void OnStartAcquisition();
    void OnStopAcquisition();
    void OnCloseDataFile();
    void OnCalibration();
    void OnTileDisplay();

    // Loads the parameter record stored for the device; when that fails (simulation state,
    // unreadable store) the document keeps DefaultAIParam().
    void LoadParam();

    // Zeroes the sweep buffer; while a stopped worker still finishes its cycle, once it has
    // ended.
    void ClearSweep();
    void UpdateFileStatus();
    // Before a recording run starts: refuses a file open in a history window of this
    // program and asks before replacing an existing one. False: nothing may start.
    bool ConfirmDataFile();
    // Creates the data file for this run (Start, when recording is on).
    void CreateDataFile();
    // Whether `path` is open in a history window of this program.
    static bool IsOpenForPlayback(const QString& path);
    // The close step: stop, wait for the worker (keeping the GUI responsive), store the
    // parameter record.
    void OnCloseDocument() override;

    // The waveform view back at its origin: scroll range sweep length + 150, position 0,
    // pens, layout and redraw. Does nothing without a waveform view.
    void ResetCurveView();
    // Waits until the worker has marked itself idle, handling events meanwhile so that a
    // box the worker raised can be answered. False when that cannot happen (a worker box
    // is up below this call); the worker then still runs.
    bool WaitForWorkerIdle();

    // The windows of this document (set by the frame when it builds them).
    CAIFrm* m_pFrame = nullptr;
    CAIDigitView* m_pDigitView = nullptr;
    CAICurveView* m_pCurveView = nullptr;
    CAIParamVw* m_pParamView = nullptr;
    CAIDataVw* m_pDataView = nullptr;

    // Parameters and readings
    AIParam m_Param = DefaultAIParam();
    ScanBlock m_Scan{};
    ScanBlock m_ScanCopy{};
    std::atomic<uint64_t> m_SampleCount{0};
    double m_RangeMin[8]{};
    double m_CodeStep[8]{};

    // Sweep buffer
    uint16_t m_CodeRing[8][kRingSize];
    float m_ValueRing[8][kRingSize];
    int m_nSweepLength = 800;
    std::atomic<int> m_nSweepPos{0};
    uint32_t m_nShownChannels = 8;

    // Acquisition state
    std::atomic<int> m_bRunning{0};
    std::atomic<int> m_bWorkerIdle{1};
    std::atomic<int> m_bShowWave{1};
    float m_fReadInterval = 1000.0f;
    float m_fNotifyInterval = 1000.0f;
    AcquisitionWorker* m_pWorker = nullptr;
    std::atomic<int> m_nWorkerBox{0};   // the worker waits for the operator to close a box
    uint64_t m_nRunId = 0;              // counts Starts; the worker's last message names its run
    std::atomic<uint32_t> m_nRunChannels{0};   // channels of the run being recorded

    // Recording state
    int m_bSaveFile = 0;
    QString m_strDataFile;
    MDQ4170_FILE m_hDataFile = -1;
    int m_bFileOpen = 0;
    int32_t m_nFreeDiskMB = 0;

    // Windows the worker notifies
    std::atomic<HWND> m_hFrameWnd{0};
    std::atomic<HWND> m_hCurveWnd{0};
    std::atomic<HWND> m_hDigitWnd{0};
    std::atomic<HWND> m_hParamWnd{0};

    // View state kept for the live waveform view and the frame
    QRgb m_TraceColor[8];
    QRgb m_CursorColor[3];
    int m_bTile = 1;
    int m_nScrollPos = 0;
    int m_nMaxScrollPos = 1000;
    int m_bMiddleValue = 1;
    std::atomic<int> m_nVisibleCount{1};
    int m_nPlotWidth = 800;       // samples one screen shows
    int m_nSelChannel = 0;
    int m_nCursorIndex[2]{0, 0};

protected:
    bool event(QEvent* e) override;   // WM_RUN_ENDED

private:
    void OnRunEnded(const RunEndNotice& n);
    void ClearSweepNow();
    void ForgetWindows();   // drops the pointers to the frame and views
    bool m_bSweepClearDue = false;
    void ReleaseDataFile();
    bool m_bClosed = false;
    CWndHandle m_hDocWnd{this};       // the worker's last message comes here
    friend class AcquisitionWorker;
};

} // namespace nuv
