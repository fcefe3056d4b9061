// Opening a 4 GiB recording (8 channels, 2^28 readings) in a history window until its
// table is painted, and what that costs in resident memory over the empty window. The
// same open of a small file shows the cost does not grow with the file.
#include "bench_hist_file.h"

#include "datafile/aihistdoc.h"
#include "datafile/aihistparamvw.h"
#include "views/aicurvevw.h"
#include "views/aidigitvw.h"
#include "framework/msgseam.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSplitter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace nuv;

namespace {

// An empty history window as the frame builds it: panel, digit pane and waveform pane.
struct Window {
    QSplitter split;
    CAIHistDoc* doc = new CAIHistDoc;
    CAIHistParamVw* panel = new CAIHistParamVw;
    CAIDigitVw* digit = new CAIDigitVw;
    CAICurveVw* curve = new CAICurveVw;
    Window()
    {
        split.addWidget(panel);
        split.addWidget(digit);
        split.addWidget(curve);
        split.setSizes({240, 800, 880});
        split.resize(1920, 1080);
        split.show();
        for (CView* v : {static_cast<CView*>(panel), static_cast<CView*>(digit), static_cast<CView*>(curve)})
            v->SetDocument(doc);
        doc->m_pParamVw = panel;
        doc->m_pDigitVw = digit;
        doc->m_pCurveVw = curve;
        panel->OnInitialUpdate();
        digit->OnInitialUpdate();
        curve->OnInitialUpdate();
        panel->ShowParam(doc->m_Param);
        panel->EnablePanel(true);
        QApplication::processEvents();
    }
    ~Window()
    {
        doc->m_pCurveVw = nullptr;
        doc->m_pDigitVw = nullptr;
        doc->m_pParamVw = nullptr;
        delete doc;
    }
};

double OpenMs(Window& w, const QString& path)
{
    QElapsedTimer t;
    t.start();
    if (!w.doc->OpenFile(path))
        return -1;
    w.digit->viewport()->repaint();
    w.curve->viewport()->repaint();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SetMessageHandler([](const MsgRequest& r) {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return int(IDOK);
    });
    QTemporaryDir dir;
    const QString big = dir.filePath("big.bin"), small = dir.filePath("small.bin");
    if (!benchhist::WriteSparse(big, 8, uint64_t(1) << 28) || !benchhist::WriteSparse(small, 8, 1000)) {
        std::fprintf(stderr, "cannot write the test files in %s\n", qPrintable(dir.path()));
        return 1;
    }

    // Warm-up: fonts, glyph caches and the painters' first use are not the file's cost.
    {
        Window warm;
        OpenMs(warm, small);
    }

    std::vector<double> bigMs, smallMs;
    double grownMB = 0;
    for (int i = 0; i < 7; ++i) {
        Window w;
        const uint64_t before = benchhist::ResidentBytes();
        bigMs.push_back(OpenMs(w, big));
        const uint64_t after = benchhist::ResidentBytes();
        grownMB = std::max(grownMB, (double(after) - double(before)) / (1024.0 * 1024.0));
        Window s;
        smallMs.push_back(OpenMs(s, small));
    }
    std::sort(bigMs.begin(), bigMs.end());
    std::sort(smallMs.begin(), smallMs.end());
    std::printf("open 4 GiB recording to first painted table: %.2f ms median, %.2f ms max (target < 100 ms)\n",
                bigMs[bigMs.size() / 2], bigMs.back());
    std::printf("open 1000-reading recording to first painted table: %.2f ms median\n", smallMs[smallMs.size() / 2]);
    std::printf("resident memory growth over the empty history window: %.2f MB worst of 7 (target < 20 MB)\n", grownMB);
    return 0;
}
