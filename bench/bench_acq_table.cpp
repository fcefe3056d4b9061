// The live digit table at its full 1,048,576 rows x 8 channels: memory and append time,
// and one live reading as the window sees it: the row appended and the viewport repainted.
#include "benchclock.h"
#include "framework/document.h"
#include "views/aidigitview.h"

#include <QApplication>
#include <QFile>
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
    // The timing vector is written through before the first reading of memory: its pages
    // are the benchmark's, not the table's.
    std::vector<double> us(size_t(rows), 0.0);
    const double before = ResidentMB();
    for (int i = 1; i <= rows; ++i) {
        for (int k = 0; k < 8; ++k) {
            scan.Channel[k].Code = uint16_t(i + k);
            scan.Channel[k].Value = float(i) * 0.001f;
        }
        const auto t0 = Clock::now();
        view.AppendReading(uint64_t(i), scan);
        us[size_t(i - 1)] = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        if (i % 1024 == 0)
            QCoreApplication::processEvents();   // as the GUI would between readings
    }
    QCoreApplication::processEvents();
    const double after = ResidentMB();
    double sum = 0;
    for (double u : us)
        sum += u;
    std::vector<double> sorted = us;
    std::sort(sorted.begin(), sorted.end());
    std::printf("live table rows: %d x 8 channels\n", view.Rows()->rowCount());
    std::printf("live table memory: %.1f MB resident growth (target < 80 MB); rows hold %.1f MB\n", after - before,
                double(view.Rows()->RowBytes()) / 1048576.0);
    std::printf("live table append mean: %.2f us, median %.2f us, p99 %.2f us, max %.1f us (target < 100 us)\n",
                sum / double(us.size()), sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back());
    // Last recent rows: the time near the full table.
    double tail = 0;
    for (size_t i = us.size() - 1000; i < us.size(); ++i)
        tail += us[i];
    std::printf("live table append mean of the last 1000 rows: %.2f us\n", tail / 1000.0);

    // One live reading on the window: the row goes in and the viewport is painted, as each
    // WM_USER+100 is followed by a paint. The table wraps at the modulus on the way.
    std::vector<double> wall, cpu;
    for (int i = rows + 1; i <= rows + 400; ++i) {
        for (int k = 0; k < 8; ++k) {
            scan.Channel[k].Code = uint16_t(i + k);
            scan.Channel[k].Value = float(i) * 0.001f;
        }
        const auto t0 = Clock::now();
        const double c0 = ProcessMs();
        view.AppendReading(uint64_t(i), scan);
        view.viewport()->repaint();
        if (i > rows + 100) {   // past the wrap and the first rows of the new table
            cpu.push_back(ProcessMs() - c0);
            wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
    }
    std::printf("live table reading (append + viewport paint) %dx%d: %.3f ms median wall, %.3f ms process CPU "
                "(target with the waveform < 0.5 ms)\n",
                view.viewport()->width(), view.viewport()->height(), Median(wall), Median(cpu));
    return 0;
}
