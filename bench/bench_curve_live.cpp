// Live waveform view at 1920x1080 with 8 channels x 800 points: full repaint (background,
// traces, composition), trace-only repaint, and one live reading through the window's notice.
#include "acquisition/aidoc.h"
#include "framework/wndmsg.h"
#include "views/aicurveview.h"

#include "curvebench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace nuv;

using curvebench::Median;
using curvebench::ThreadMs;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    auto doc = std::make_unique<CAIDoc>();
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 8;
    doc->m_nMaxScrollPos = 800;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 800; ++j)
            doc->m_CodeRing[i][j] = uint16_t(32768 + 25000 * std::sin(j * 0.031 + i) + 3000 * std::sin(j * 0.9));
    doc->m_nSweepPos.store(800);

    CAICurveView view;
    view.SetDocument(doc.get());
    curvebench::ShowAt(view, 1920, 1080);
    view.OnInitialUpdate();
    for (int i = 0; i < 8; ++i)
        view.SetChannelRange(i, 5, curvebench::Volt10());
    QApplication::processEvents();

    const int runs = 300;
    std::vector<double> full, traces, update;
    double t0 = 0;
    for (int r = 0; r < 20; ++r)
        view.viewport()->repaint();
    for (int r = 0; r < runs; ++r) {
        view.RedrawAll();
        t0 = ThreadMs();
        view.viewport()->repaint();
        full.push_back(ThreadMs() - t0);
    }
    for (int r = 0; r < runs; ++r) {
        t0 = ThreadMs();
        view.viewport()->repaint();
        traces.push_back(ThreadMs() - t0);
    }
    // what one WM_USER+1 costs: recount, points, background and traces
    for (int r = 0; r < runs; ++r) {
        t0 = ThreadMs();
        view.UpdateVisibleCount();
        view.RedrawAll();
        view.viewport()->repaint();
        update.push_back(ThreadMs() - t0);
    }
    // One live reading as the window gets it: the sweep grows by a sample, the notice
    // arrives and the paint it asks for follows. Wall time and the whole process's CPU.
    std::vector<double> readWall, readCpu;
    for (int r = 0; r < 1000; ++r) {
        const int pos = 1 + r % 799;
        for (int i = 0; i < 8; ++i)
            doc->m_CodeRing[i][pos - 1] = uint16_t(32768 + 25000 * std::sin(r * 0.37 + i));
        doc->m_nSweepPos.store(pos, std::memory_order_release);
        QElapsedTimer t;
        t.start();
        const double c0 = bench::ProcessMs();
        QEvent notice(MsgType(WM_CURVE_UPDATE));
        QApplication::sendEvent(&view, &notice);
        QApplication::processEvents();
        if (r >= 20) {
            readWall.push_back(double(t.nsecsElapsed()) / 1e6);
            readCpu.push_back(bench::ProcessMs() - c0);
        }
    }
    std::printf("curve live reading (notice + paint) 1920x1080 8 channels: %.3f ms median wall, %.3f ms median "
                "process CPU (target with the table < 0.5 ms)\n",
                Median(readWall), Median(readCpu));
    std::printf("curve live full repaint 1920x1080 8x800: %.3f ms median thread CPU (target < 3 ms)\n", Median(full));
    std::printf("curve live trace-only repaint 1920x1080 8x800: %.3f ms median thread CPU (target < 1.5 ms)\n", Median(traces));
    std::printf("curve live data update (points + full repaint): %.3f ms median\n", Median(update));
    view.SetDocument(nullptr);
    return 0;
}
