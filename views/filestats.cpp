// The statistics of a whole recording: one streaming pass, a reader thread filling one
// block while the other is summarised.
#include "views/chanstats.h"

#include "datafile/recfile.h"

#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"
#include "datafile/fileheader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <bit>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cstdint>
#include <cstring>
#include <vector>

namespace nuv::measure {

FileStats ComputeFileStats(const QString& path, const std::atomic<bool>* cancel, const StatsProgress& progress,
                           uint32_t blockBytes)
{
    FileStats r;
    RecordingHandle f(path);
    if (!f.IsOpen()) {
        r.Status = FileStatsStatus::OpenFailed;
        r.Detail = FileLibraryReason();
        return r;
    }
    HeaderBytes header{};
    uint32_t got = 0;
    if (MDQ4170_FILE_SetOffset(f.h(), 0, 0, 0))
        got = MDQ4170_FILE_Read(f.h(), header.data(), kHeaderSize);
    const qint64 size = QFileInfo(path).size();
    const uint64_t fileBytes = std::max<uint64_t>(size > 0 ? uint64_t(size) : 0, got);
    const HistLayout l = ComputeHistLayout(header.data(), got, fileBytes);
    if (!l.ProductOk && got > hdr::ProductId + 3) {
        r.Status = FileStatsStatus::Foreign;
        r.Detail = QStringLiteral("identification 0x%1 at byte 188").arg(GetLE32(header.data() + hdr::ProductId), 0, 16);
        return r;
    }
    if (!l.HeaderComplete || !l.ProductOk) {
        r.Status = FileStatsStatus::ShortHeader;
        r.Detail = QStringLiteral("%1 bytes").arg(fileBytes);
        return r;
    }
    if (l.Problem != HistProblem::None) {
        r.Status = FileStatsStatus::NoChannels;
        r.Detail = QStringLiteral("first channel %1, channel count %2, codes per record %3")
                       .arg(l.Info.Param.FirstChannel)
                       .arg(l.Info.Param.ChannelCount)
                       .arg(l.Info.CodesPerRecord);
        return r;
    }
    r.Channels = RecordingDecodes(l, r.Decode);
    r.Readings = l.CompleteRecords;
    const uint64_t total = r.Readings;
    if (total == 0 || r.Channels == 0) {
        if (progress)
            progress(0, 0);
        return r;
    }
    const uint32_t record = 2u * l.ChannelCount;
    uint32_t ranges[8]{};
    for (int k = 0; k < r.Channels; ++k)
        ranges[k] = r.Decode[k].rangeCode;
    if (!MDQ4170_FILE_SetOffset(f.h(), kHeaderSize, 0, 0)) {
        r.Status = FileStatsStatus::ReadFailed;
        r.Detail = FileLibraryReason();
        return r;
    }
    // Whole groups of eight records per block, so the vector passes need no tail but the
    // file's. Two blocks: a reader thread fills one while this thread summarises the other.
    const uint32_t perBlock = std::max<uint32_t>(8, blockBytes / record / 8 * 8);
    struct Block {
        std::vector<uint8_t> bytes;
        uint32_t records = 0;
        bool full = false;
        bool failed = false;
        QString reason;
    };
    Block blocks[2];
    blocks[0].bytes.resize(size_t(perBlock) * record);
    blocks[1].bytes.resize(size_t(perBlock) * record);
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    std::thread reader([&, h = f.h()] {
        uint64_t done = 0;
        for (int b = 0; done < total; b ^= 1) {
            Block& k = blocks[b];
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || !k.full; });
                if (stop)
                    return;
            }
            const uint32_t want = uint32_t(std::min<uint64_t>(perBlock, total - done));
            const uint32_t n = MDQ4170_FILE_Read(h, k.bytes.data(), want * record);
            k.records = want;
            k.failed = n < want * record;
            if (k.failed)
                k.reason = MDQ4170_GetLastError() != MDQ4170_ERROR_SUCCESS
                               ? FileLibraryReason()
                               : QStringLiteral("the file ends at reading %1").arg(done + n / record);
            {
                std::lock_guard lock(mutex);
                k.full = true;
            }
            changed.notify_all();
            if (k.failed)
                return;
            done += want;
        }
    });
    for (int b = 0; r.Done < total; b ^= 1) {
        Block& k = blocks[b];
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return k.full; });
        }
        if (k.failed) {
            r.Status = FileStatsStatus::ReadFailed;
            r.Detail = k.reason;
            break;
        }
        SummariseRecords(k.bytes.data(), k.records, r.Channels, ranges, r.Summary);
        r.Done += k.records;
        {
            std::lock_guard lock(mutex);
            k.full = false;
        }
        changed.notify_all();
        if (progress)
            progress(r.Done, total);
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed) && r.Done < total) {
            r.Status = FileStatsStatus::Cancelled;
            break;
        }
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
    reader.join();
    return r;
}

QString FileStatsMessage(const FileStats& s)
{
    switch (s.Status) {
    case FileStatsStatus::Ok: return {};
    case FileStatsStatus::OpenFailed: return QStringLiteral("打开文件失败, 可能该文件不存...");
    case FileStatsStatus::ShortHeader:
        return QStringLiteral("文件长度不足%1字节的文件头, 不是完整的数据文件").arg(kHeaderSize);
    case FileStatsStatus::Foreign: return QStringLiteral("此文件不属于该产品的数据文件");
    case FileStatsStatus::NoChannels:
        return QStringLiteral("文件头的通道配置无效(%1), 无法统计文件中的数据").arg(s.Detail);
    case FileStatsStatus::ReadFailed: return QStringLiteral("读取数据文件失败(%1), 统计未完成").arg(s.Detail);
    case FileStatsStatus::Cancelled: return QStringLiteral("统计已取消");
    }
    return {};
}

} // namespace nuv::measure
