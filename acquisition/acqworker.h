// The acquisition worker: one thread per AI run. It prepares the device task, reads one
// scan per cycle, reads the cold-junction temperature periodically, records raw codes,
// fills the latest reading and the sweep buffer (AcqShared, through its writer side),
// notifies the windows by posted messages and paces itself to the read interval. Every
// way out runs Finishing: the header of a recording is written, the device task
// released, the document told.
#pragma once

#include "acquisition/acqshared.h"
#include "datafile/fileheader.h"
#include "framework/wndmsg.h"

#include <QString>
#include <cstdint>
#include <thread>

namespace nuv {

class CAIDoc;

class AcquisitionWorker {
public:
    // Takes the run's settings from the document (window thread, before Resume): the
    // parameter record, the intervals, the wave and save switches, the data file. The run
    // works on these copies only, so edits made after Stop never reach it.
    explicit AcquisitionWorker(CAIDoc* doc);
    ~AcquisitionWorker();   // joins the thread (the document has seen the worker idle)
    AcquisitionWorker(const AcquisitionWorker&) = delete;
    AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;

    // Starts the thread (the document has set the run flag first).
    void Resume();

    // While recording, the header at byte 0 is refreshed with the readings written so far
    // at most this often, so an interrupted recording keeps all but its last moments.
    static constexpr int kHeaderRefreshMs = 1000;

private:
    void Run();
    void Message(const QString& text);
    bool ReadCJC(bool periodic);
    bool WriteRecord(uint32_t tick);
    void RefreshHeader();
    void FinalHeader();
    void Finish(bool fault);
    static void RaisePriority();

    AcqShared& m_shared;
    AcqShared::Writer m_out;
    std::thread m_thread;

    // Settings of the run, taken when it was created.
    uint64_t m_nRunId = 0;
    AIParam m_Given{};      // the record as the document handed it over
    AIParam m_Run{};        // the record in force: after the device library's check
    bool m_bCorrected = false;
    MDQ4170_FILE m_hFile = -1;
    float m_fReadInterval = 1000.0f;
    float m_fNotifyInterval = 1000.0f;
    bool m_bShowWave = true;
    HWND m_hDocWnd = 0;

    // Values of one run.
    MDQ4170_HANDLE m_hDevice = MDQ4170_INVALID_HANDLE;
    ScanBlock m_Scan{};     // the reading of the current cycle
    uint64_t m_nCount = 0;
    bool m_bNotifyDue = true;
    bool m_bFirstCycle = true;
    double m_fCJC = 0.0;
    uint32_t m_nCJCWord = 0;
    uint32_t m_nCodesInLast = 0;
    StartTime m_Start;
    uint32_t m_nLastCJCTick = 0;
    uint32_t m_nLastNotifyTick = 0;
    uint32_t m_nCJCPeriod = 1000;
    bool m_bSave = false;
    int m_nSweepLength = 800;

    // Recording: the header kept current on disk while the run goes on. It is built when
    // the run starts, from the run's record and the range information in force then.
    HeaderBytes m_Header{};
    uint64_t m_nRecords = 0;
    bool m_bWriteFailed = false;
    uint32_t m_nLastHeaderTick = 0;
};

} // namespace nuv
