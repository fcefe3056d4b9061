// Sparse recordings for the playback benchmarks: a real header, a hole for the records.
#pragma once

#include "datafile/fileheader.h"

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <unistd.h>

namespace benchhist {

inline bool WriteSparse(const QString& path, uint32_t channels, uint64_t readings)
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
    ::close(fd);
    return ok;
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
