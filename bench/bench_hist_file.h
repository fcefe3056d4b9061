// Recordings for the playback benchmarks: a real header, then a hole for the records
// (sparse) or readings of noise over the whole range (what scrolling draws at its worst).
#pragma once

#include "datafile/fileheader.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace benchhist {

inline bool WriteRecording(const QString& path, uint32_t channels, uint64_t readings, bool noise)
{
    AIParam p{};
    p.FirstChannel = 0;
    p.ChannelCount = channels;
    for (auto& r : p.Range)
        r = 6;
    nuv::HeaderBytes h{};
    nuv::BuildFileHeader(MDQ4170_INVALID_HANDLE, p, nuv::StartTime{}, channels, readings, h);
    for (int c = 0; c < 8; ++c) {
        RangeInfo ri{};
        ri.RangeCode = 6;
        ri.RangeMax = 10;
        ri.RangeMin = -10;
        ri.RangeSpan = 20;
        ri.CodeStep = 20.0 / 65536;
        nuv::PutRangeInfo(h.data() + nuv::hdr::RangeInfoOfChannel0 + nuv::kDescriptorSize * c, ri);
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, off_t(nuv::kHeaderSize + 2ull * channels * readings)) == 0;
    ok = ok && ::pwrite(fd, h.data(), h.size(), 0) == ssize_t(h.size());
    if (noise) {
        std::vector<uint16_t> block(size_t(1) << 20);
        uint64_t x = 0x9E3779B97F4A7C15ull;
        off_t at = off_t(nuv::kHeaderSize);
        for (uint64_t left = uint64_t(channels) * readings; ok && left > 0;) {
            const size_t n = size_t(std::min<uint64_t>(left, block.size()));
            for (size_t i = 0; i < n; ++i) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                block[i] = uint16_t(x >> 24);
            }
            ok = ::pwrite(fd, block.data(), n * 2, at) == ssize_t(n * 2);
            at += off_t(n * 2);
            left -= n;
        }
    }
    ::close(fd);
    return ok;
}

inline bool WriteSparse(const QString& path, uint32_t channels, uint64_t readings)
{
    return WriteRecording(path, channels, readings, false);
}

// Resident memory of this process in bytes.
inline uint64_t ResidentBytes()
{
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toULongLong() * uint64_t(::sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace benchhist
