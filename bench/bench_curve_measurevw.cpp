// Measuring on the history waveform at 1920x1080, 8 channels of noise: the page step with
// the read-out, both cursors, the statistics of the readings shown, the time axis and
// fitted scales on, beside the same step with all of them off (target: within 10 %); and
// one cursor read-out update as a drag causes it (read-out rebuilt and its bar repainted).
#include "histviewbench.h"

#include "datafile/aihistdoc.h"
#include "framework/msgseam.h"
#include "views/aicurvevw.h"
#include "views/readoutbar.h"

#include "curvebench.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

using namespace nuv;

using curvebench::Median;
using curvebench::ThreadMs;

namespace {

void Measuring(CAICurveVw& view, bool on)
{
    view.SetReadout(on);
    view.SetSecondCursor(on);
    view.SetStatisticsWanted(on);
    view.SetTimeAxis(on);
    view.SetFitScales(on);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    curvebench::NoiseHistory rig;
    if (!rig.Open([](curvebench::NoiseHistory& h) {
            h.view.SetMeasureSource({[] { return 1000.0; }, [&h] { return h.doc->m_nDigitMode; }, {}, {}});
        }))
        return 1;
    CAIHistDoc* doc = rig.doc.get();
    CAICurveVw& view = rig.view;

    // Rounds of page steps, the two settings taking turns, so a busy machine weighs on both.
    std::vector<double> plain, measured;
    int pos = 0;
    for (int round = 0; round < 12; ++round) {
        const bool on = round % 2 == 1;
        Measuring(view, on);
        QApplication::processEvents();
        for (int i = 0; i < 30; ++i) {
            pos += view.GetLayout().plotWidth;
            if (pos > doc->m_nMaxPosition - 2 * view.GetLayout().plotWidth)
                pos = 0;
            const double c0 = ThreadMs();
            view.ScrollToPosition(pos, true);
            view.viewport()->repaint();
            if (on)
                view.findChild<CReadoutBar*>()->repaint();
            if (i >= 3)
                (on ? measured : plain).push_back(ThreadMs() - c0);
        }
    }
    const double a = Median(plain), b = Median(measured);
    std::printf("curve history page step with read-out, two cursors, statistics, time axis and fitted scales: "
                "%.3f ms thread CPU, without them %.3f ms: %+.1f %% (target within 10 %%)\n",
                b, a, (b / a - 1.0) * 100.0);

    // A cursor drag: the read-out follows each move.
    Measuring(view, true);
    CReadoutBar* bar = view.findChild<CReadoutBar*>();
    std::vector<double> readout;
    for (int i = 0; i < 400; ++i) {
        view.SetCursorX(1, view.GetLayout().plot.left + 100 + i % 700);
        const double c0 = ThreadMs();
        view.UpdateReadout();
        bar->repaint();
        readout.push_back(ThreadMs() - c0);
    }
    std::printf("cursor read-out update through the view, 2 cursors, 8 channels (rebuilt and repainted): %.3f ms "
                "(target < 0.2 ms)\n",
                Median(readout));
    view.SetDocument(nullptr);
    return 0;
}
