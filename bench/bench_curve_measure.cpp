// Measuring on the traces: the live statistics update per reading (8 channels, an
// 800-reading sweep), the cursor read-out update (2 cursors, 8 channels), and the
// statistics of a whole 4 GiB, 8-channel recording read from the page cache, beside
// `cat FILE > /dev/null` of the same file in the same run.
// Usage: bench_curve_measure [GiB of the recording, default 4; 0 leaves the file pass out]
#include "views/chanstats.h"
#include "views/curvemeasure.h"

#include "acquisition/aitypes.h"
#include "datafile/fileheader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace nuv;
using namespace nuv::measure;
namespace {

// CPU time of this thread in ms.
double ThreadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

uint64_t g_x = 0x9E3779B97F4A7C15ull;
uint16_t Noise()
{
    g_x ^= g_x << 13;
    g_x ^= g_x >> 7;
    g_x ^= g_x << 17;
    return uint16_t(g_x >> 20);
}

// Channels 0-5 ±10 V, 6 the 4-20 mA loop, 7 a K thermocouple that now and then breaks.
bool WriteRecording(const QString& path, uint64_t readings)
{
    AIParam p{};
    p.FirstChannel = 0;
    p.ChannelCount = 8;
    for (uint32_t c = 0; c < 8; ++c)
        p.Range[c] = c < 6 ? 6 : c == 6 ? 8 : 10;
    HeaderBytes h{};
    BuildFileHeader(MDQ4170_INVALID_HANDLE, p, LocalStartTimeNow(), 8, readings, h);
    for (uint32_t c = 0; c < 8; ++c)
        PutRangeInfo(h.data() + hdr::RangeInfoOfChannel0 + kDescriptorSize * c, NominalRangeInfo(p.Range[c]));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, h.data(), h.size()) == ssize_t(h.size());
    std::vector<uint16_t> block(size_t(1) << 22);   // 8 MiB: 2^19 readings
    for (uint64_t done = 0; ok && done < readings;) {
        const uint64_t n = std::min<uint64_t>(block.size() / 8, readings - done);
        for (uint64_t i = 0; i < n * 8; ++i)
            block[i] = Noise();
        for (uint64_t r = 0; r < n; r += 997)
            block[r * 8 + 7] = 0xFFFF;
        ok = ::write(fd, block.data(), size_t(n * 16)) == ssize_t(n * 16);
        done += n;
    }
    ::close(fd);
    return ok;
}

double CatSeconds(const QString& path)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cat \"$0\" > /dev/null"), path});
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double gib = argc > 1 ? std::atof(argv[1]) : 4.0;

    // ---- live statistics: one reading into the sweep ----
    {
        const uint32_t ranges[8] = {6, 6, 6, 6, 6, 6, 8, 10};
        auto sweep = std::make_unique<SweepStats>();
        sweep->Configure(8, ranges, 800);
        std::vector<uint16_t> codes(size_t(8) * 4096);
        for (auto& c : codes)
            c = Noise();
        for (size_t r = 0; r < 4096; r += 50)
            codes[r * 8 + 7] = 0xFFFF;
        const int n = 20000000;
        const double t0 = ThreadMs();
        for (int i = 0; i < n; ++i)
            sweep->Push(&codes[size_t(i & 4095) * 8]);
        const double t1 = ThreadMs();
        std::printf("statistics update per reading, 8 channels: %.3f us (target < 5 us)\n", (t1 - t0) * 1e3 / n);

        // The refresh of the statistics list once per notify interval: figures and texts.
        ChannelDecode d[8];
        for (int c = 0; c < 8; ++c) {
            d[c].channel = c;
            d[c].rangeCode = ranges[c];
            const RangeInfo ri = NominalRangeInfo(ranges[c]);
            d[c].offset = ri.RangeMin;
            d[c].gain = ri.CodeStep;
        }
        const int m = 20000;
        qsizetype sink = 0;
        const double t2 = ThreadMs();
        for (int i = 0; i < m; ++i)
            for (int c = 0; c < 8; ++c)
                sink += StatsRow(StatsOf(sweep->Summary(c), d[c]), d[c], 3).cells[4].size();
        const double t3 = ThreadMs();
        std::printf("statistics texts of 8 rows per refresh: %.1f us (%lld)\n", (t3 - t2) * 1e3 / m, (long long)(sink % 10));
    }

    // ---- cursor read-out ----
    {
        ReadoutInput in;
        in.cursors = 2;
        in.periodMs = 800.0;
        in.form = TimeForm::HourMinSec;
        in.decimals = 5;
        in.channels = 8;
        for (int c = 0; c < 8; ++c) {
            in.ch[c].decode.channel = c;
            in.ch[c].decode.rangeCode = 6;
            in.ch[c].decode.offset = -10.0;
            in.ch[c].decode.gain = 20.0 / 65536;
            in.ch[c].has[0] = in.ch[c].has[1] = true;
        }
        Readout r;
        const int n = 20000;
        qsizetype sink = 0;
        const double t0 = ThreadMs();
        for (int i = 0; i < n; ++i) {
            in.index[0] = 1000 + i;
            in.index[1] = 5000 + 3 * i;
            for (int c = 0; c < 8; ++c) {
                in.ch[c].code[0] = Noise();
                in.ch[c].code[1] = Noise();
            }
            MakeReadout(in, r);
            sink += r.cell[3][10].size();
        }
        const double t1 = ThreadMs();
        std::printf("cursor read-out update, 2 cursors, 8 channels: %.1f us (target < 200 us) (%lld)\n",
                    (t1 - t0) * 1e3 / n, (long long)(sink % 10));
    }

    if (gib <= 0)
        return 0;

    // ---- the whole recording ----
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("whole.bin"));
    const uint64_t readings = uint64_t(gib * double(uint64_t(1) << 30) / 16.0);
    if (!WriteRecording(path, readings)) {
        std::printf("whole-file statistics: could not write the recording in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const double bytes = double(QFile(path).size());
    CatSeconds(path);   // into the page cache
    double cat = 1e9, stats = 1e9;
    FileStats fs;
    for (int run = 0; run < 2; ++run) {
        cat = std::min(cat, CatSeconds(path));
        QElapsedTimer t;
        t.start();
        uint64_t calls = 0;
        fs = ComputeFileStats(path, nullptr, [&](uint64_t, uint64_t) { ++calls; });
        stats = std::min(stats, double(t.nsecsElapsed()) / 1e9);
        if (!fs.Ok() || fs.Done != readings || calls == 0) {
            std::printf("whole-file statistics failed: %s\n", qPrintable(FileStatsMessage(fs)));
            return 1;
        }
    }
    std::printf("whole-file statistics of %.2f GiB, 8 channels: %.2f GB/s (target >= 1 GB/s); "
                "cat > /dev/null %.2f GB/s; ratio %.2f\n",
                bytes / double(uint64_t(1) << 30), bytes / stats / 1e9, bytes / cat / 1e9, cat / stats);
    const ChannelStats k = StatsOf(fs.Summary[7], fs.Decode[7]);
    std::printf("  (AI7: %llu readings, %llu broken left out, mean %.3f)\n", (unsigned long long)k.count,
                (unsigned long long)k.broken, k.mean);
    return 0;
}
