// CSV export of a 4 GiB, 8-channel recording (2^28 readings): a sparse file whose last
// readings hold noise codes. The noisy stretch at the end (beyond the first 4 GiB, so the
// 64-bit offsets are used) is exported to a file, and `dd` writes the same number of bytes
// to the same folder in the same run; the ratio of the two rates is printed with them.
// Usage: bench_export [readings to export, default 4194304]
#include "datafile/csvexport.h"
#include "datafile/fileheader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace nuv;

namespace {

constexpr uint32_t kChannels = 8;
constexpr uint64_t kReadings = uint64_t(1) << 28;   // 4 GiB of records

// Channels 0-5 ±10 V, 6 the 4-20 mA loop, 7 a K thermocouple; started now.
bool WriteRecording(const QString& path, uint64_t noisy)
{
    AIParam p{};
    p.FirstChannel = 0;
    p.ChannelCount = kChannels;
    for (uint32_t c = 0; c < 8; ++c)
        p.Range[c] = c < 6 ? 6 : c == 6 ? 8 : 10;
    HeaderBytes h{};
    BuildFileHeader(MDQ4170_INVALID_HANDLE, p, LocalStartTimeNow(), kChannels, kReadings, h);
    for (uint32_t c = 0; c < 8; ++c)
        PutRangeInfo(h.data() + hdr::RangeInfoOfChannel0 + kDescriptorSize * c, NominalRangeInfo(p.Range[c]));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, off_t(RecordOffset(kChannels, kReadings))) == 0;
    ok = ok && ::pwrite(fd, h.data(), h.size(), 0) == ssize_t(h.size());
    // Noise codes for the last `noisy` readings; now and then a broken thermocouple.
    std::vector<uint16_t> block(size_t(65536) * kChannels);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (uint64_t done = 0; ok && done < noisy;) {
        const uint64_t n = std::min<uint64_t>(65536, noisy - done);
        for (uint64_t i = 0; i < n * kChannels; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            block[i] = uint16_t(x);
        }
        for (uint64_t r = 0; r < n; r += 997)
            block[r * kChannels + 7] = 0xFFFF;
        const uint64_t at = RecordOffset(kChannels, kReadings - noisy + done);
        ok = ::pwrite(fd, block.data(), size_t(n * kChannels * 2), off_t(at)) == ssize_t(n * kChannels * 2);
        done += n;
    }
    ::close(fd);
    return ok;
}

uint64_t ResidentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toULongLong() * uint64_t(::sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const uint64_t noisy = argc > 1 ? std::max<uint64_t>(QByteArray(argv[1]).toULongLong(), 65536) : 4194304;
    QTemporaryDir dir;
    const QString rec = dir.filePath(QStringLiteral("rec.bin"));
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    const QString ddOut = dir.filePath(QStringLiteral("dd.out"));
    if (!dir.isValid() || !WriteRecording(rec, noisy)) {
        std::fprintf(stderr, "cannot write the recording\n");
        return 1;
    }
    CsvOptions o;
    o.First = int64_t(kReadings - noisy);

    // What formatting alone costs: the same readings into /dev/null.
    QElapsedTimer t;
    t.start();
    CsvResult r = ExportCsvFile(rec, QStringLiteral("/dev/null"), o);
    const double nullSec = double(t.nsecsElapsed()) / 1e9;

    const uint64_t rssBefore = ResidentBytes();
    const std::clock_t cpu0 = std::clock();
    t.start();
    r = ExportCsvFile(rec, csv, o);
    const double sec = double(t.nsecsElapsed()) / 1e9;
    const double cpuSec = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    const uint64_t rssAfter = ResidentBytes();
    if (!r.Ok()) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(CsvStatusText(r)));
        return 1;
    }
    QFile::remove(csv);
    const double mb = double(r.Bytes) / 1e6;

    // dd writes the same bytes to the same folder.
    const uint64_t blocks = (r.Bytes + (1 << 20) - 1) >> 20;
    t.start();
    const int ddStatus = QProcess::execute(QStringLiteral("dd"), {QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + ddOut,
                                                                  QStringLiteral("bs=1M"), QStringLiteral("count=%1").arg(blocks),
                                                                  QStringLiteral("status=none")});
    const double ddSec = double(t.nsecsElapsed()) / 1e9;
    QFile::remove(ddOut);
    const double ddRate = ddStatus == 0 ? double(blocks << 20) / 1e6 / ddSec : 0.0;

    std::printf("export_rows: %llu readings of 8 channels (%.0f MB of CSV, from reading %lld of a 4 GiB recording)\n",
                static_cast<unsigned long long>(r.Rows), mb, static_cast<long long>(o.First));
    std::printf("export_csv_rate: %.0f MB/s (target >= 100)\n", mb / sec);
    std::printf("export_dd_rate: %.0f MB/s (dd writing the same %.0f MB in the same run)\n", ddRate, mb);
    std::printf("export_csv_vs_dd: %.2f (export rate / dd rate)\n", ddRate > 0 ? mb / sec / ddRate : 0.0);
    std::printf("export_cpu_rate: %.0f MB per CPU second (formatting and writing threads together; a busy machine lowers the rates above, not this)\n",
                mb / cpuSec);
    std::printf("export_format_rate: %.0f MB/s (the same text into /dev/null)\n", mb / nullSec);
    std::printf("export_resident_growth: %.1f MB (while exporting %.0f MB)\n",
                double(int64_t(rssAfter) - int64_t(rssBefore)) / 1e6, mb);
    return 0;
}
