// The live AI document: the parameter set in force, the latest readings, the sweep
// buffer of the live waveform view, the acquisition and recording state.
//
// What it shares with the acquisition worker is AcqShared (its base): the worker writes
// readings before posting the message that announces them. Fields the worker only reads
// (m_Param, the intervals, m_bSaveFile, m_bShowWave) are copied when a run starts.
//
// It knows no view: it changes its own state and tells its views by UpdateAllViews with
// an AIHint, and its frame by the signals below.
#pragma once

#include "acquisition/acqshared.h"
#include "acquisition/aihint.h"
#include "acquisition/aitypes.h"
#include "framework/document.h"
#include "device/mdq4170.h"
#include "framework/wndmsg.h"

#include <QRgb>
#include <QString>
#include <atomic>
#include <cstdint>

namespace nuv {

class AcquisitionWorker;
struct RunEndNotice;

// The worker's last message of a run, to the document (payload RunEndNotice).
constexpr int WM_RUN_ENDED = WM_USER + 102;

class CAIDoc : public CDocument, public AcqShared {
    Q_OBJECT
public:
    CAIDoc();
    ~CAIDoc() override;

    // The module this window works with, handed over by whoever creates the window.
    MDQ4170_HANDLE m_hDevice = MDQ4170_INVALID_HANDLE;

    // Commands: ID_START_ACQ, ID_STOP_ACQ, ID_RETURN_ACQ, ID_DEVICE_CAL, ID_TILE_DISPLAY
    // (ID_OVERLAY_DISPLAY has no handler here).
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;
    void OnStartAcquisition();
    void OnStopAcquisition();
    void OnCloseDataFile();
    void OnCalibration();
    void OnTileDisplay();

    // Loads the parameter record stored for the device; when that fails (simulation state,
    // unreadable store) the document keeps DefaultAIParam().
    void LoadParam();

    // ---- what the parameter panel changes ----
    // The panel shows `p`: as many statistics rows as its channels, the digit columns
    // rebuilt, the sweep cleared and back at its origin.
    void ParamShown(const AIParam& p);
    // The enabled run is now `count` channels from `first` (kNoChannel: none).
    void SetChannelRun(uint32_t first, uint32_t count);
    // Range list k now shows `code` (< 0: nothing chosen, ignored): the record, the range
    // information shown, the sweep cleared, the waveform's scale, the digit columns.
    void SetChannelRange(int k, int code);
    // Every channel takes `code` (the match to channel 0).
    void SetAllRanges(int code);
    // Recording on with `path`, or off (the name stays chosen); the status information bar
    // follows.
    void SetSaveFile(bool on, const QString& path = {});
    // The read interval typed so far; the notification interval follows when the field
    // is left (NotifyIntervalFromRead).
    void SetReadInterval(float ms) { m_fReadInterval = ms; }
    void NotifyIntervalFromRead() { m_fNotifyInterval = NotifyInterval(m_fReadInterval); }
    void SetShowWave(bool on) { m_bShowWave.store(on ? 1 : 0); }
    // The range information of every channel's range as the views show it (window opened).
    void ShowRanges();

    // Zeroes the sweep buffer; while a stopped worker still finishes its cycle, once it has
    // ended.
    void ClearSweep();
    // The status information bar's counts (WM_USER+5).
    void UpdateFileStatus();
    // The close step: stop, wait for the worker (keeping the GUI responsive), store the
    // parameter record.
    void OnCloseDocument() override;
    // The windows are going: no hint, signal or notice reaches them any more.
    void ForgetWindows();

    // Waits until the worker has marked itself idle, handling events meanwhile so that a
    // box the worker raised can be answered. False when that cannot happen (a worker box
    // is up below this call); the worker then still runs.
    bool WaitForWorkerIdle();

    // Parameters
    AIParam m_Param = DefaultAIParam();
    RangeInfo m_RangeInfo[kChannels]{};   // of each channel's range, as the views show it

    // Sweep buffer (AcqShared holds the rings)
    int m_nSweepLength = 800;
    uint32_t m_nShownChannels = 8;

    // Acquisition state
    std::atomic<int> m_bShowWave{1};
    float m_fReadInterval = 1000.0f;
    float m_fNotifyInterval = 1000.0f;
    AcquisitionWorker* m_pWorker = nullptr;
    uint64_t m_nRunId = 0;              // counts Starts; the worker's last message names its run

    // Recording state
    int m_bSaveFile = 0;
    QString m_strDataFile;
    MDQ4170_FILE m_hDataFile = -1;
    int m_bFileOpen = 0;
    int32_t m_nFreeDiskMB = 0;

    // View state kept for the live waveform view and the frame
    QRgb m_TraceColor[8];
    QRgb m_CursorColor[3];
    int m_bTile = 1;
    int m_nScrollPos = 0;
    int m_nMaxScrollPos = 1000;
    int m_bMiddleValue = 1;
    int m_nPlotWidth = 800;       // samples one screen shows
    int m_nSelChannel = 0;
    int m_nCursorIndex[2]{0, 0};

signals:
    // To the frame: show or hide the status information bar, set one of its fields
    // (IDC_STATUS_FILENAME, _FREESPACE, _STORED, _COUNT), make a tab of the parameter bar current.
    void statusInfoBarShown(bool show);
    void statusFieldChanged(int id, const QString& text);
    void paramTabSelected(int index);

protected:
    bool event(QEvent* e) override;   // WM_RUN_ENDED

private:
    void Notify(int hint);
    void ApplyChannelRange(int k, int code);
    void ResetSweep() { Notify(kHintSweepReset); }
    void OnRunEnded(const RunEndNotice& n);
    void ClearSweepNow();
    void ShowStatusInfoBar(bool show);
    void SetStatusField(int id, const QString& text);
    // Before a recording run starts: refuses a file open in a history window of this
    // program and asks before replacing an existing one. False: nothing may start.
    bool ConfirmDataFile();
    // Creates the data file for this run (Start, when recording is on).
    void CreateDataFile();
    // Whether `path` is open in a history window of this program.
    static bool IsOpenForPlayback(const QString& path);
    void ReleaseDataFile();

    bool m_bSweepClearDue = false;
    bool m_bClosed = false;
    bool m_bWindowsGone = false;
    CWndHandle m_hDocWnd{this};       // the worker's last message comes here
    friend class AcquisitionWorker;
};

} // namespace nuv
