// Header checks and window arithmetic of playback on arbitrary headers and file lengths:
// whatever the header says, every window read stays inside the file and every split
// stays inside the buffers. Input: header bytes, then the last 8 bytes give the length.
#include "datafile/histlayout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace nuv;

namespace {
void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint64_t fileBytes = size;
    size_t headerBytes = size;
    if (size >= 8) {
        std::memcpy(&fileBytes, data + size - 8, 8);
        headerBytes = size - 8;
    }
    const HistLayout l = ComputeHistLayout(data, headerBytes, fileBytes);
    if (!l.ProductOk || !l.HeaderComplete) {
        Check(l.ScanCount == 0 && l.ChannelCount == 0);
        return 0;
    }
    Check(l.ChannelCount <= 8);
    Check(l.EnabledCount == int(l.ChannelCount));
    for (int k = 0; k < l.EnabledCount; ++k)
        Check(l.Enabled[k] >= 0 && l.Enabled[k] < 8 && (k == 0 || l.Enabled[k] > l.Enabled[k - 1]));
    Check(l.ScanCount >= 0 && l.ScanCount <= kMaxHistScans);
    Check(uint64_t(l.ScanCount) <= l.CompleteRecords);
    Check(uint64_t(l.ScanCount) == std::min<uint64_t>(l.CompleteRecords, kMaxHistScans));   // every complete record
    if (l.Problem != HistProblem::None)
        Check(l.ChannelCount == 0 && l.Param.ChannelCount == 0);

    // Windows at the start, the middle, the end and past the end.
    const int64_t maxPos = l.ScanCount;
    const uint8_t pick = headerBytes > 0 ? data[0] : 0;
    const int64_t positions[] = {0, maxPos / 2, maxPos, maxPos + 1, maxPos - int64_t(pick)};
    static uint16_t window[8][kHistWindowScans];
    static std::vector<uint8_t> bytes(2 * 8 * 256);
    for (int64_t pos : positions) {
        pos = std::clamp<int64_t>(pos, 0, maxPos);
        const uint32_t n = HistLoadLength(int64_t(pick) * 3, pos, maxPos);
        Check(n <= kHistWindowScans && int64_t(n) <= maxPos - pos);
        Check(HistDefaultWindowLength(pos, maxPos) <= kHistWindowScans);
        if (l.ChannelCount == 0 || n == 0)
            continue;
        const uint64_t offset = HistWindowOffset(l.ChannelCount, pos);
        Check(offset + 2ull * l.ChannelCount * n <= fileBytes);   // never past the file's end
        const uint32_t small = std::min<uint32_t>(n, 256);
        const size_t got = std::min<size_t>(bytes.size(), size_t(pick) * 7);
        const uint32_t split = HistDeinterleave(bytes.data(), got, l.ChannelCount, small, window);
        Check(split <= small && size_t(split) * 2 * l.ChannelCount <= got);
    }
    return 0;
}
