#include "datafile/histlayout.h"

#include <algorithm>

namespace nuv {

namespace {
AIParam WithoutChannels(AIParam p)
{
    p.FirstChannel = 0xFFFFFFFFu;
    p.ChannelCount = 0;
    return p;
}
} // namespace

HistLayout ComputeHistLayout(const uint8_t* header, size_t headerBytes, uint64_t fileBytes)
{
    HistLayout l;
    if (header == nullptr)
        return l;
    l.HeaderComplete = headerBytes >= kHeaderSize;
    l.ProductOk = headerBytes >= hdr::ProductId + 4 && GetLE32(header + hdr::ProductId) == kProductId;
    if (!l.HeaderComplete || !l.ProductOk)
        return l;
    ReadFileHeader(header, headerBytes, l.Info);
    l.Param = l.Info.Param;

    const uint64_t first = l.Param.FirstChannel;
    const uint64_t count = l.Param.ChannelCount;
    const uint32_t codes = l.Info.CodesPerRecord;
    const bool recorded = l.Info.ReadingCount != 0;

    if (count != 0 && first + count > 8) {
        // A run reaching past channel 7 cannot have been recorded by this product.
        l.Problem = HistProblem::BadChannelRun;
    } else if (count == 0) {
        if (recorded || codes != 0)
            l.Problem = HistProblem::NoChannels;
    } else if (codes != count && codes != 0) {
        // Records of another width than the enabled run: the slots cannot be matched to
        // channels, so none is shown. Codes 0 only says that no record was complete when
        // the header was written (a first write that failed); the records, if any, are
        // as wide as the enabled run.
        l.Problem = HistProblem::CodesMismatch;
    }
    if (l.Problem != HistProblem::None) {
        l.Param = WithoutChannels(l.Param);
        return l;
    }

    l.ChannelCount = uint32_t(count);
    int enabled[8];
    l.EnabledCount = 0;
    for (uint32_t c = 0; c < 8; ++c)
        if (first <= c && uint64_t(c) < first + count)
            enabled[l.EnabledCount++] = int(c);
    std::copy(enabled, enabled + l.EnabledCount, l.Enabled);

    if (l.ChannelCount != 0 && fileBytes > kHeaderSize)
        l.CompleteRecords = (fileBytes - kHeaderSize) / (2ull * l.ChannelCount);
    // Every complete record is shown, whatever the header counted: a recording that was
    // killed or lost its power holds the records written after its last header refresh.
    // A count promising more than the file holds never shows records that are not there.
    const uint64_t shown = std::min<uint64_t>(l.CompleteRecords, uint64_t(kMaxHistScans));
    l.ScanCount = int32_t(shown);
    l.Truncated = l.Info.ReadingCount > l.CompleteRecords;
    return l;
}

uint32_t HistLoadLength(int64_t requested, int64_t position, int64_t maxPosition)
{
    const int64_t avail = std::max<int64_t>(0, maxPosition - std::max<int64_t>(0, position));
    int64_t n = std::max<int64_t>(requested, kHistTableRows);
    n = std::min<int64_t>({n, avail, int64_t(kHistWindowScans)});
    return uint32_t(std::max<int64_t>(n, 0));
}

uint32_t HistDefaultWindowLength(int64_t position, int64_t maxPosition)
{
    const int64_t avail = std::max<int64_t>(0, maxPosition - std::max<int64_t>(0, position));
    return uint32_t(std::min<int64_t>({int64_t(kHistWindowScans), avail, int64_t(kHistDefaultWindow)}));
}

uint32_t HistWindowLength(const HistScreen& screen, int64_t position, int64_t maxPosition)
{
    const int64_t n = screen.Width >= 0 ? std::min<int64_t>(screen.Scans, maxPosition - position)
                                        : int64_t(HistDefaultWindowLength(position, maxPosition));
    const int64_t avail = std::max<int64_t>(0, maxPosition - position);
    return uint32_t(std::clamp<int64_t>(n, 0, std::min<int64_t>(kHistWindowScans, avail)));
}

int32_t HistEndPosition(const HistScreen& screen, int32_t maxPosition)
{
    const int32_t shown = screen.Width >= 0 ? screen.Width : int32_t(kHistTableRows);
    const int32_t last = std::max<int32_t>(0, maxPosition);
    return last > shown ? last - shown : 0;
}

uint32_t HistDeinterleave(const uint8_t* bytes, size_t byteCount, uint32_t channelCount, uint32_t scans,
                          uint16_t (*window)[kHistWindowScans])
{
    if (bytes == nullptr || window == nullptr || channelCount == 0 || channelCount > 8)
        return 0;
    const size_t record = 2u * channelCount;
    const uint32_t whole = uint32_t(std::min<size_t>({byteCount / record, size_t(scans), size_t(kHistWindowScans)}));
    for (uint32_t k = 0; k < channelCount; ++k) {
        const uint8_t* p = bytes + 2u * k;
        uint16_t* out = window[k];
        for (uint32_t r = 0; r < whole; ++r, p += record)
            out[r] = uint16_t(p[0] | (p[1] << 8));
    }
    return whole;
}

} // namespace nuv
