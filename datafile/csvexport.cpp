#include "datafile/csvexport.h"
#include "datafile/csvtext.h"
#include "datafile/recfile.h"

#include "device/mdq4170.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <limits>
#include <vector>

namespace nuv {

namespace {

constexpr uint32_t kBlockRecords = 65536;    // readings read and written per block
constexpr size_t kOutFlush = size_t(1) << 20; // text gathered before it is written

// The recording opened through the device library and checked as playback checks it.
class Source {
public:
    CsvResult Open(const QString& path)
    {
        CsvResult r;
        if (!m_file.Open(path)) {
            r.Status = CsvStatus::OpenFailed;
            r.Detail = FileLibraryReason();
            return r;
        }
        HeaderBytes header{};
        uint32_t got = 0;
        if (MDQ4170_FILE_SetOffset(m_file.h(), 0, 0, 0))
            got = MDQ4170_FILE_Read(m_file.h(), header.data(), kHeaderSize);
        const qint64 size = QFileInfo(path).size();
        Info.FileBytes = std::max<uint64_t>(size > 0 ? uint64_t(size) : 0, got);
        Info.Layout = ComputeHistLayout(header.data(), got, Info.FileBytes);
        const HistLayout& l = Info.Layout;
        if (!l.ProductOk && got > hdr::ProductId + 3) {
            r.Status = CsvStatus::Foreign;
            r.Detail = QStringLiteral("identification 0x%1 at byte 188")
                           .arg(GetLE32(header.data() + hdr::ProductId), 0, 16);
        } else if (!l.HeaderComplete || !l.ProductOk) {
            r.Status = CsvStatus::ShortHeader;
            r.Detail = QStringLiteral("%1 bytes").arg(Info.FileBytes);
        } else if (l.Problem != HistProblem::None) {
            r.Status = CsvStatus::NoChannels;
            r.Detail = QStringLiteral("first channel %1, channel count %2, codes per record %3")
                           .arg(l.Info.Param.FirstChannel)
                           .arg(l.Info.Param.ChannelCount)
                           .arg(l.Info.CodesPerRecord);
        }
        Info.Readings = l.CompleteRecords;
        return r;
    }

    MDQ4170_FILE Handle() const { return m_file.h(); }
    RecordingInfo Info;

private:
    RecordingHandle m_file;
};

using namespace csvtext;

bool WriteAll(QIODevice& out, const char* data, size_t n, CsvResult& r)
{
    while (n > 0) {
        const qint64 w = out.write(data, qint64(n));
        if (w <= 0) {
            r.Status = CsvStatus::WriteFailed;
            r.Detail = out.errorString();
            return false;
        }
        data += w;
        n -= size_t(w);
        r.Bytes += uint64_t(w);
    }
    return true;
}

// The text goes out through a thread of its own: while one buffer is written the next
// one is formatted, so the export runs at the pace of the slower of the two.
class TextSink {
public:
    TextSink(QIODevice& out, size_t capacity) : m_out(out)
    {
        for (auto& b : m_buffer)
            b.resize(capacity);
        m_thread = std::thread([this] { Run(); });
    }
    ~TextSink() { Stop(); }

    char* Buffer() { return m_buffer[m_current].data(); }

    // Hands the first `n` bytes of Buffer() over; false when an earlier write failed.
    bool Hand(size_t n)
    {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [this] { return m_pending == nullptr; });
        if (m_failed)
            return false;
        m_pending = m_buffer[m_current].data();
        m_pendingBytes = n;
        m_current ^= 1;
        m_changed.notify_all();
        return true;
    }

    // Waits for the last write; the bytes written and the first failure go into `r`.
    bool Finish(CsvResult& r)
    {
        Stop();
        r.Bytes += m_written;
        if (m_failed) {
            r.Status = CsvStatus::WriteFailed;
            r.Detail = m_error;
        }
        return !m_failed;
    }

private:
    void Run()
    {
        for (;;) {
            std::unique_lock lock(m_lock);
            m_changed.wait(lock, [this] { return m_pending != nullptr || m_stop; });
            if (m_pending == nullptr)
                return;
            const char* data = m_pending;
            size_t n = m_pendingBytes;
            const bool skip = m_failed;
            lock.unlock();
            QString error;
            while (!skip && n > 0) {
                const qint64 w = m_out.write(data, qint64(n));
                if (w <= 0) {
                    error = m_out.errorString();
                    break;
                }
                data += w;
                n -= size_t(w);
                m_written += uint64_t(w);
            }
            lock.lock();
            if (!error.isEmpty() || (n > 0 && !skip)) {
                m_failed = true;
                m_error = error;
            }
            m_pending = nullptr;
            m_changed.notify_all();
        }
    }
    void Stop()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_lock);
            m_stop = true;
            m_changed.notify_all();
        }
        m_thread.join();
    }

    QIODevice& m_out;
    std::vector<char> m_buffer[2];
    int m_current = 0;
    std::mutex m_lock;
    std::condition_variable m_changed;
    const char* m_pending = nullptr;   // being written by the thread
    size_t m_pendingBytes = 0;
    bool m_stop = false;
    bool m_failed = false;
    QString m_error;
    uint64_t m_written = 0;   // the thread's until it has ended
    std::thread m_thread;
};

CsvResult WriteRows(Source& src, QIODevice& out, const CsvOptions& o, const std::atomic<bool>* cancel,
                    const CsvProgress& progress)
{
    CsvResult r;
    const HistLayout& l = src.Info.Layout;
    const uint64_t readings = src.Info.Readings;
    const int64_t last = o.Last < 0 || uint64_t(o.Last) >= readings ? int64_t(readings) - 1 : o.Last;
    if (o.First < 0 || (readings > 0 && o.First > last) || (readings == 0 && o.First != 0)) {
        r.Status = CsvStatus::BadRange;
        r.Detail = QStringLiteral("%1..%2 of %3 readings").arg(o.First).arg(o.Last).arg(readings);
        return r;
    }
    const uint64_t total = readings == 0 ? 0 : uint64_t(last - o.First + 1);
    const char sep = o.Separator == '\t' ? '\t' : ',';
    const int n = l.EnabledCount;

    // Heading row.
    QString heading = QStringLiteral("index%1time").arg(QLatin1Char(sep));
    std::vector<ValueForm> values;
    bool thermo[8]{};
    uint32_t range[8]{};
    for (int k = 0; k < n; ++k) {
        const int c = l.Enabled[k];
        range[k] = l.Param.Range[c];
        thermo[k] = IsThermocouple(range[k]);
        values.emplace_back(l.Info.Range[c].RangeMin, PlaybackGain(l.Info.Range[c]));
        heading += QLatin1Char(sep) + CsvValueHeading(c, range[k]);
        if (o.RawCodes)
            heading += QLatin1Char(sep) + QStringLiteral("AI%1 code").arg(c);
        if (thermo[k])
            heading += QLatin1Char(sep) + QStringLiteral("AI%1 break").arg(c);
    }
    heading += QLatin1Char('\n');
    const QByteArray head = heading.toUtf8();
    if (!WriteAll(out, head.constData(), size_t(head.size()), r))
        return r;
    if (total == 0) {
        if (progress)
            progress(0, 0);
        return r;
    }

    const uint32_t channels = l.ChannelCount;
    const uint32_t record = 2u * channels;
    const uint64_t offset = RecordOffset(channels, uint64_t(o.First));
    if (!MDQ4170_FILE_SetOffset(src.Handle(), uint32_t(offset), uint32_t(offset >> 32), 0)) {
        r.Status = CsvStatus::ReadFailed;
        r.Detail = FileLibraryReason();
        return r;
    }
    TimeTexts times(StartDateTime(l.Info.Start), ReadingPeriodMs(o.IntervalMs, uint32_t(n)));
    std::vector<uint8_t> in(size_t(kBlockRecords) * record);
    // Longest row: index, time, and per channel a value, a code and a break flag.
    const size_t rowMax = 24 + 48 + size_t(n) * (32 + 7 + 3);
    TextSink sink(out, kOutFlush + rowMax);
    char* base = sink.Buffer();
    char* p = base;

    uint64_t done = 0;
    uint64_t index = uint64_t(o.First);
    while (done < total) {
        const uint32_t want = uint32_t(std::min<uint64_t>(kBlockRecords, total - done));
        const uint32_t got = MDQ4170_FILE_Read(src.Handle(), in.data(), want * record);
        if (got < want * record) {
            sink.Finish(r);
            r.Status = CsvStatus::ReadFailed;
            r.Detail = MDQ4170_GetLastError() != MDQ4170_ERROR_SUCCESS
                           ? FileLibraryReason()
                           : QStringLiteral("the file ends at reading %1").arg(index + got / record);
            return r;
        }
        const uint8_t* rec = in.data();
        for (uint32_t j = 0; j < want; ++j, ++index, rec += record) {
            p = std::to_chars(p, p + 24, index).ptr;
            *p++ = sep;
            p = times.Put(p, index);
            for (int k = 0; k < n; ++k) {
                const uint16_t code = uint16_t(rec[2 * k] | (rec[2 * k + 1] << 8));
                const bool broken = thermo[k] && IsBreakCode(range[k], code);
                *p++ = sep;
                if (!broken)
                    p = values[size_t(k)].Put(p, code);
                if (o.RawCodes) {
                    *p++ = sep;
                    p = PutUInt(p, code);
                }
                if (thermo[k]) {
                    *p++ = sep;
                    *p++ = broken ? '1' : '0';
                }
            }
            *p++ = '\n';
            if (size_t(p - base) >= kOutFlush) {
                if (!sink.Hand(size_t(p - base))) {
                    sink.Finish(r);
                    return r;
                }
                p = base = sink.Buffer();
            }
        }
        done += want;
        r.Rows = done;
        if (progress)
            progress(done, total);
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed) && done < total) {
            sink.Finish(r);
            r.Status = CsvStatus::Cancelled;
            return r;
        }
    }
    sink.Hand(size_t(p - base));
    sink.Finish(r);
    return r;
}

} // namespace

double ReadingPeriodMs(double intervalMs, uint32_t channels)
{
    return std::max(intervalMs, 100.0 * channels);
}

QDateTime StartDateTime(const StartTime& s)
{
    const QDate d(s.Year, s.Month, s.Day);
    const QTime t(s.Hour, s.Minute, s.Second, s.Millisecond);
    if (s.Year == 0 || !d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t);
}

QString CsvValueHeading(int channel, uint32_t rangeCode)
{
    return QStringLiteral("AI%1 (%2)").arg(channel).arg(RangeUnitText(rangeCode));
}

CsvResult InspectRecording(const QString& path, RecordingInfo& out)
{
    Source src;
    const CsvResult r = src.Open(path);
    out = src.Info;
    return r;
}

CsvResult ExportCsv(const QString& source, QIODevice& out, const CsvOptions& options,
                    const std::atomic<bool>* cancel, const CsvProgress& progress)
{
    Source src;
    CsvResult r = src.Open(source);
    if (!r.Ok())
        return r;
    return WriteRows(src, out, options, cancel, progress);
}

CsvResult ExportCsvFile(const QString& source, const QString& target, const CsvOptions& options,
                        const std::atomic<bool>* cancel, const CsvProgress& progress)
{
    // The recording is checked before anything is created.
    Source src;
    CsvResult r = src.Open(source);
    if (!r.Ok())
        return r;
    const QFileInfo ti(target);
    if (ti.exists() && ti.canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
        r.Status = CsvStatus::WriteFailed;
        r.Detail = QStringLiteral("the output is the recording itself");
        return r;
    }
    if (ti.exists() && !ti.isFile()) {
        QFile dev(target);
        if (!dev.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            r.Status = CsvStatus::WriteFailed;
            r.Detail = dev.errorString();
            return r;
        }
        return WriteRows(src, dev, options, cancel, progress);
    }
    // Unbuffered: every failing write is seen at once (an error in the flush at commit
    // would pass unnoticed and put a short file in place).
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        r.Status = CsvStatus::WriteFailed;
        r.Detail = file.errorString();
        return r;
    }
    r = WriteRows(src, file, options, cancel, progress);
    if (!r.Ok()) {
        file.cancelWriting();   // the destructor removes what was written
        return r;
    }
    if (!file.commit()) {
        r.Status = CsvStatus::WriteFailed;
        r.Detail = file.errorString();
    }
    return r;
}

QString CsvStatusText(const CsvResult& r)
{
    switch (r.Status) {
    case CsvStatus::Ok: return {};
    case CsvStatus::OpenFailed: return QStringLiteral("打开文件失败, 可能该文件不存...");
    case CsvStatus::ShortHeader:
        return QStringLiteral("文件长度不足%1字节的文件头, 不是完整的数据文件").arg(kHeaderSize);
    case CsvStatus::Foreign: return QStringLiteral("此文件不属于该产品的数据文件");
    case CsvStatus::NoChannels:
        return QStringLiteral("文件头的通道配置无效(%1), 文件中的数据无法导出").arg(r.Detail);
    case CsvStatus::BadRange: return QStringLiteral("导出范围不在文件的读数之内(%1)").arg(r.Detail);
    case CsvStatus::ReadFailed:
        return QStringLiteral("读取数据文件失败(%1), 未完成的CSV文件已删除").arg(r.Detail);
    case CsvStatus::WriteFailed:
        return QStringLiteral("写入CSV文件失败(%1), 未完成的CSV文件已删除").arg(r.Detail);
    case CsvStatus::Cancelled: return QStringLiteral("导出已取消, 未完成的CSV文件已删除");
    }
    return {};
}

} // namespace nuv
