// History waveform view at 1920x1080, 8 channels of noise: one page step, the window
// reloaded from the recording on disk and the view repainted.
#include "histviewbench.h"

#include "datafile/aihistdoc.h"
#include "framework/msgseam.h"
#include "views/aicurvevw.h"

#include "curvebench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace nuv;

using curvebench::Median;
using curvebench::ThreadMs;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    curvebench::NoiseHistory rig;
    if (!rig.Open())
        return 1;
    CAICurveVw& view = rig.view;

    std::vector<double> wall, cpu;
    int pos = 0;
    for (int i = 0; i < 320; ++i) {
        pos += view.GetLayout().plotWidth;
        QElapsedTimer t;
        t.start();
        const double c0 = ThreadMs();
        view.ScrollToPosition(pos, true);   // the document reads its window from the file
        view.viewport()->repaint();
        if (i >= 20) {
            cpu.push_back(ThreadMs() - c0);
            wall.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    std::printf("curve history page step 1920x1080 8 channels (reload from file + repaint): %.3f ms median wall, "
                "%.3f ms thread CPU (target < 2.5 ms)\n",
                Median(wall), Median(cpu));
    view.SetDocument(nullptr);
    return 0;
}
