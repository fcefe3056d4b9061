#include "acquisition/acqworker.h"

#include "acquisition/acqmsg.h"
#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"
#include "framework/msgseam.h"
#include "framework/wndmsg.h"

#include <chrono>
#include <cstring>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace nuv {

namespace {

using Clock = std::chrono::steady_clock;

const QString kMsgVerify = QStringLiteral("AI参数校验有错，已被调整为合法值，请注意查看日志文件MDQ4170.log");
const QString kMsgInitTask = QStringLiteral("初始化AI采集任务失败，请查看日志文件MDQ4170.log中的具体信息");
const QString kMsgReadTimeout = QStringLiteral(
    "读取采样数据超时错误, 如果触发事件迟迟不来或者需要很长的采样时间，请延长超时时间或者直接设置为－1.0");
const QString kMsgReadFailed = QStringLiteral("读取采样数据失败，请查看日志文件MDQ4170.log中的具体信息");
const QString kMsgFirstCJCTimeout = QStringLiteral("Read CJC data timeout, exit read function.");
const QString kMsgFirstCJCError = QStringLiteral("Read CJC data error");
const QString kMsgCJCTimeout = QStringLiteral("读取冷端补偿数据失败，退出采集");
const QString kMsgWriteFailed = QStringLiteral(
    "存盘失败，如果是FAT32磁盘格式，则可能是\n超过4GB长度而出错，或者是没有剩余磁盘空间");
const QString kMsgRelease = QStringLiteral("释放采集任务失败，请查看日志文件MDQ4170.log中的具体信息");

void SetOffset(MDQ4170_FILE f, uint64_t offset)
{
    MDQ4170_FILE_SetOffset(f, uint32_t(offset), uint32_t(offset >> 32), 0);
}

// Milliseconds of a monotonic clock, wrapping at 2^32 like a tick count.
uint32_t TickCount()
{
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

} // namespace

AcquisitionWorker::AcquisitionWorker(CAIDoc* doc) : m_shared(*doc), m_out(*doc)
{
    m_hDevice = doc->m_hDevice;
    m_nRunId = doc->m_nRunId;
    m_Given = m_Run = doc->m_Param;
    m_bSave = doc->m_bSaveFile != 0;
    m_hFile = doc->m_hDataFile;
    m_fReadInterval = doc->m_fReadInterval;
    m_fNotifyInterval = doc->m_fNotifyInterval;
    m_bShowWave = doc->m_bShowWave.load() != 0;
    m_nSweepLength = doc->m_nSweepLength > 0 ? doc->m_nSweepLength : 1;
    m_hDocWnd = doc->m_hDocWnd.get();
}

AcquisitionWorker::~AcquisitionWorker()
{
    if (m_thread.joinable())
        m_thread.join();
}

void AcquisitionWorker::Resume()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { RaisePriority(); Run(); });
}

// The highest priority an unprivileged thread may take: as low a nice value as the
// process's limits allow (usually just the inherited one).
void AcquisitionWorker::RaisePriority()
{
    const pid_t tid = pid_t(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, id_t(tid));
    if (errno != 0)
        return;
    for (int nice = -20; nice < current; ++nice)
        if (::setpriority(PRIO_PROCESS, id_t(tid), nice) == 0)
            return;
}

void AcquisitionWorker::Message(const QString& text)
{
    // Shown by the window thread; this thread waits for the operator.
    m_out.SetBoxUp(true);
    AfxMessageBox(text);
    m_out.SetBoxUp(false);
}

void AcquisitionWorker::Run()
{
    // Preparation
    m_out.BeginRun();
    m_nCount = 0;
    m_bNotifyDue = true;
    m_bFirstCycle = true;
    m_fCJC = 0.0;
    m_nCJCWord = 0;
    m_nCodesInLast = 0;
    m_Start = StartTime{};
    m_nRecords = 0;
    m_bWriteFailed = false;
    PooledEventsInUse();   // the pool of posted messages exists before the first cycle
    m_nCJCPeriod = CJCPeriod(m_fReadInterval);

    // A module that is gone corrects nothing: InitTask then tells what happened.
    if (!MDQ4170_AI_VerifyParam(m_hDevice, &m_Run) && MDQ4170_GetLastError() != MDQ4170_ERROR_DEVICE_NOT_CONNECTED)
        Message(kMsgVerify);
    m_bCorrected = std::memcmp(&m_Run, &m_Given, sizeof m_Run) != 0;
    m_out.SetRunChannels(m_Run.ChannelCount);
    if (m_bSave) {
        // The header describes the run as it starts: its record, the range information
        // and versions the library gives now. Counts and start time follow as the run goes.
        BuildFileHeader(m_hDevice, m_Run, StartTime{}, 0, 0, m_Header);
    }
    if (!MDQ4170_AI_InitTask(m_hDevice, &m_Run, nullptr)) {
        Message(kMsgInitTask);
        Finish(true);
        return;
    }
    if (m_bSave) {
        m_Start = LocalStartTimeNow();
        // A valid header right away (no readings yet), so that the file is readable
        // whatever becomes of this process; the final one replaces it at the end.
        int enabled[kChannels];
        PutHeaderStartTime(m_Start, m_Header);
        PutHeaderCounts(uint32_t(EnabledChannels(m_Run, enabled)), 0, m_Header);
        SetOffset(m_hFile, 0);
        MDQ4170_FILE_Write(m_hFile, m_Header.data(), kHeaderSize);
        SetOffset(m_hFile, kHeaderSize);
    }
    m_nLastCJCTick = m_nLastNotifyTick = m_nLastHeaderTick = TickCount();

    const float readInterval = m_fReadInterval;
    const float notifyInterval = m_fNotifyInterval;
    const bool showWave = m_bShowWave;
    bool fault = false;

    Clock::time_point cycleStart = Clock::now();
    while (m_out.Running()) {

        if (!MDQ4170_AI_ReadData(m_hDevice, &m_Scan)) {
            Message(MDQ4170_GetLastError() == MDQ4170_WAIT_TIMEOUT ? kMsgReadTimeout : kMsgReadFailed);
            fault = true;
            break;
        }
        if (m_bFirstCycle) {
            if (!ReadCJC(false)) {
                fault = true;
                break;
            }
            m_bFirstCycle = false;
        }

        const uint64_t n = ++m_nCount;
        m_out.PublishReading(n, m_Scan);

        uint32_t tick = TickCount();
        if (uint32_t(tick - m_nLastCJCTick) > m_nCJCPeriod) {
            if (!ReadCJC(true)) {
                fault = true;
                break;
            }
            m_nLastCJCTick = tick;
        }
        if (notifyInterval <= float(uint32_t(tick - m_nLastNotifyTick))) {
            m_bNotifyDue = true;
            m_nLastNotifyTick = tick;
        }
        if (m_bSave && !WriteRecord(tick)) {
            fault = true;
            break;
        }

        DigitRowNotice row;
        row.SampleCount = n;
        row.Scan = m_Scan;
        PostMessage(m_shared.m_hDigitWnd.load(), WM_DIGIT_ROW, 0, 0, &row, sizeof row);

        if (showWave) {
            const int s = int(n % uint64_t(m_nSweepLength));
            m_out.StoreSweep(s, m_Scan);
            if (m_bNotifyDue) {
                m_out.PublishSweep(s);
                PostMessage(m_shared.m_hCurveWnd.load(), WM_CURVE_UPDATE);
                m_bNotifyDue = false;
            }
        }

        if (!m_out.Running())
            break;

        // Pacing: the cycle lasts the read interval, or as long as the read and the work
        // when that is longer. The next cycle starts at the planned instant, not when the
        // sleep happened to end, so late wake-ups do not add up over a run.
        const Clock::time_point now = Clock::now();
        const int64_t elapsed = int64_t(std::chrono::duration<double, std::milli>(now - cycleStart).count() + 1.0);
        if (readInterval < float(elapsed)) {
            std::this_thread::yield();
            cycleStart = now;
        } else {
            cycleStart += std::chrono::milliseconds(int64_t(readInterval));
            std::this_thread::sleep_until(cycleStart);
        }
    }

    Finish(fault);
}

bool AcquisitionWorker::ReadCJC(bool periodic)
{
    const int32_t ok = MDQ4170_AI_ReadCJCTemp(m_hDevice, &m_nCJCWord, &m_fCJC);
    if (!ok) {
        const bool timeout = MDQ4170_GetLastError() == MDQ4170_WAIT_TIMEOUT;
        if (periodic)
            Message(timeout ? kMsgCJCTimeout : kMsgReadFailed);
        else
            Message(timeout ? kMsgFirstCJCTimeout : kMsgFirstCJCError);
        return false;
    }
    // The panel sets the cold-junction text and its break icons from this copy of the
    // cycle's reading.
    CJCNotice note;
    note.Celsius = m_fCJC;
    for (int k = 0; k < kChannels; ++k) {
        note.ReadingRange[k] = m_Scan.Channel[k].ReadingRange;
        note.BreakState[k] = m_Scan.Channel[k].BreakState;
    }
    PostMessage(m_shared.m_hParamWnd.load(), WM_BREAK_ICONS, 0, 0, &note, sizeof note);
    return true;
}

bool AcquisitionWorker::WriteRecord(uint32_t tick)
{
    uint16_t codes[kChannels];
    uint32_t n = 0;
    for (uint32_t k = 0; k < uint32_t(kChannels); ++k)
        if (IsChannelEnabled(m_Run, k))
            codes[n++] = m_Scan.Channel[k].Code;
    if (MDQ4170_FILE_Write(m_hFile, codes, 2 * n) != 2 * n) {
        m_bWriteFailed = true;
        Message(kMsgWriteFailed);
        return false;
    }
    m_nCodesInLast = n;
    ++m_nRecords;
    PostMessage(m_shared.m_hFrameWnd.load(), WM_FILE_STATUS);
    if (uint32_t(tick - m_nLastHeaderTick) >= uint32_t(kHeaderRefreshMs)) {
        RefreshHeader();
        m_nLastHeaderTick = tick;
    }
    return true;
}

// Rewrites the header with the records complete so far and returns to the end.
void AcquisitionWorker::RefreshHeader()
{
    PutHeaderCounts(m_nCodesInLast, m_nRecords, m_Header);
    SetOffset(m_hFile, 0);
    MDQ4170_FILE_Write(m_hFile, m_Header.data(), kHeaderSize);
    SetOffset(m_hFile, RecordOffset(m_nCodesInLast, m_nRecords));
}

// The header that closes the recording: the one built at the start with the final counts.
// Versions and range information are asked again, but only an answer replaces what the
// start recorded: a module that failed or went away leaves the header as it was.
void AcquisitionWorker::FinalHeader()
{
    PutHeaderDeviceInfo(m_hDevice, m_Run, m_Header);
    // The readings recorded, and the one whose write failed: a reading counted before a
    // cold-junction failure never reached the file and is not announced there.
    PutHeaderCounts(m_nCodesInLast, m_nRecords + (m_bWriteFailed ? 1 : 0), m_Header);
    SetOffset(m_hFile, 0);
    MDQ4170_FILE_Write(m_hFile, m_Header.data(), kHeaderSize);
}

void AcquisitionWorker::Finish(bool fault)
{
    // A run ended by a fault is over as after Stop: its file closes on WM_USER+9 and
    // Start is offered again.
    if (fault)
        m_out.EndRun();
    if (m_bSave) {
        FinalHeader();
        PostMessage(m_shared.m_hFrameWnd.load(), WM_FILE_CLOSE);
    }
    // An unplugged module has no task left to release.
    if (!MDQ4170_AI_ReleaseTask(m_hDevice) && MDQ4170_GetLastError() != MDQ4170_ERROR_DEVICE_NOT_CONNECTED)
        Message(kMsgRelease);
    PostMessage(m_shared.m_hFrameWnd.load(), WM_FILE_STATUS);
    RunEndNotice note{};
    note.RunId = m_nRunId;
    note.Given = m_Given;
    note.Run = m_Run;
    note.Corrected = m_bCorrected ? 1 : 0;
    note.Fault = fault ? 1 : 0;
    PostMessage(m_hDocWnd, WM_RUN_ENDED, 0, 0, &note, sizeof note);
    m_out.MarkIdle();
}

} // namespace nuv
