// The live digit table at its full 1,048,576 rows x 8 channels: memory and append time,
// and one live reading as the window sees it: the row appended and what it leaves to paint.
#include "benchclock.h"
#include "framework/document.h"
#include "views/aidigitview.h"

#include <QApplication>
#include <QFile>
#include <QPaintEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

using bench::Median;
using bench::ProcessMs;

double ResidentMB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

// Reading `i`: codes and values that differ from row to row and channel to channel, the
// values within the range the columns are made for (-10..10 V), as the module gives them.
void Reading(int i, ScanBlock& scan)
{
    for (int k = 0; k < 8; ++k) {
        scan.Channel[k].Code = uint16_t(i + k);
        scan.Channel[k].Value = float((i + 37 * k) % 20001 - 10000) * 0.001f;
    }
}

// Counts the viewport's paint events and the pixels they cover.
struct PaintArea : QObject {
    long long pixels = 0;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
                pixels += qint64(r.width()) * r.height();
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    using Clock = std::chrono::steady_clock;
    nuv::CAIDigitView view;
    view.resize(700, 600);
    view.show();
    QCoreApplication::processEvents();
    // Eight channel columns without a document: columns built through the model.
    int channels[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    QStringList titles;
    for (int c = 0; c < 8; ++c)
        titles << QStringLiteral("AI%1(V)").arg(c);
    view.Rows()->SetColumns(titles, channels);
    QCoreApplication::processEvents();

    ScanBlock scan{};
    const int rows = int(nuv::CAIDigitView::kRowModulus) - 1;   // rows 1 .. 1048575
    const int appended = rows - 300;                             // the rest are read on the window
    // The timing vector is written through before the first reading of memory: its pages
    // are the benchmark's, not the table's.
    std::vector<double> us(size_t(appended), 0.0);
    const double before = ResidentMB();
    for (int i = 1; i <= appended; ++i) {
        Reading(i, scan);
        const auto t0 = Clock::now();
        view.AppendReading(uint64_t(i), scan);
        us[size_t(i - 1)] = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        if (i % 1024 == 0)
            QCoreApplication::processEvents();   // as the GUI would between readings
    }
    QCoreApplication::processEvents();
    const double after = ResidentMB();

    // One live reading on the window: the row goes in, then the events the reading leaves
    // behind are handled as the GUI's loop would handle them before the next one: the
    // posted update request paints what the reading made dirty (and nothing more). The
    // painted part of the viewport is counted too. Measured on the last 300 rows of the
    // full table, and on rows 101 to 400 after the wrap at the modulus (a short table,
    // whose scroll bar's slider moves with every row).
    PaintArea painted;
    view.viewport()->installEventFilter(&painted);
    auto readings = [&](uint64_t first, uint64_t from, uint64_t last, const char* where) {
        std::vector<double> wall, cpu;
        for (uint64_t i = first; i <= last; ++i) {
            Reading(int(i), scan);
            if (i == from)
                painted.pixels = painted.paints = 0;
            const auto t0 = Clock::now();
            const double c0 = ProcessMs();
            view.AppendReading(i, scan);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (i >= from) {
                cpu.push_back(ProcessMs() - c0);
                wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            }
        }
        const QSize vp = view.viewport()->size();
        std::printf("live table reading (append + its paint) %dx%d, %s: %.3f ms median wall, %.3f ms process CPU, "
                    "%.1f%% of the viewport painted in %.2f paints (target with the waveform < 0.5 ms)\n",
                    vp.width(), vp.height(), where, Median(wall), Median(cpu),
                    100.0 * double(painted.pixels) / double(wall.size()) / double(vp.width() * vp.height()),
                    double(painted.paints) / double(wall.size()));
    };
    readings(uint64_t(appended) + 1, uint64_t(appended) + 1, uint64_t(rows), "full table");
    const int full = view.Rows()->rowCount();

    double sum = 0;
    for (double u : us)
        sum += u;
    std::vector<double> sorted = us;
    std::sort(sorted.begin(), sorted.end());
    std::printf("live table rows: %d x 8 channels\n", full);
    std::printf("live table memory: %.1f MB resident growth (target < 80 MB); rows hold %.1f MB\n", after - before,
                double(view.Rows()->RowBytes()) / 1048576.0);
    std::printf("live table append mean: %.2f us, median %.2f us, p99 %.2f us, max %.1f us (target < 100 us)\n",
                sum / double(us.size()), sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back());
    // Last recent rows: the time near the full table.
    double tail = 0;
    for (size_t i = us.size() - 1000; i < us.size(); ++i)
        tail += us[i];
    std::printf("live table append mean of the last 1000 rows: %.2f us\n", tail / 1000.0);

    readings(uint64_t(rows) + 1, uint64_t(rows) + 101, uint64_t(rows) + 400, "after the wrap");
    return 0;
}
