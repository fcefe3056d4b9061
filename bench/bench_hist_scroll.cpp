// One scroll step of a maximized history window (1920x1080): the digit pane's line-down
// moves the position, the document reloads its window from the file and both panes
// repaint. Also the digit pane alone at full screen size.
#include "bench_hist_file.h"

#include "datafile/aihistdoc.h"
#include "views/aicurvevw.h"
#include "views/aidigitvw.h"
#include "framework/msgseam.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSplitter>
#include <QTemporaryDir>
#include <ctime>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace nuv;

namespace {
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ThreadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Median wall time and median CPU time of this thread (steadier on a busy machine).
struct Figures {
    double wall, cpu;
};
template <class Step> Figures MedianMs(int runs, Step step)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs + 20; ++i) {
        QElapsedTimer t;
        t.start();
        const double c0 = ThreadMs();
        step();
        if (i >= 20) {
            wall.push_back(double(t.nsecsElapsed()) / 1e6);
            cpu.push_back(ThreadMs() - c0);
        }
    }
    return {Median(wall), Median(cpu)};
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
    const QString path = dir.filePath("big.bin");
    if (!benchhist::WriteSparse(path, 8, uint64_t(1) << 28))
        return 1;

    {
        QSplitter split;
        auto* doc = new CAIHistDoc;
        auto* digit = new CAIDigitVw;
        auto* curve = new CAICurveVw;
        split.addWidget(digit);
        split.addWidget(curve);
        split.setSizes({800, 1120});
        split.resize(1920, 1080);
        split.show();
        digit->SetDocument(doc);
        curve->SetDocument(doc);
        doc->m_pDigitVw = digit;
        doc->m_pCurveVw = curve;
        digit->OnInitialUpdate();
        curve->OnInitialUpdate();
        QApplication::processEvents();
        if (!doc->OpenFile(path))
            return 1;
        const Figures f = MedianMs(300, [&] {
            digit->OnVScroll(CAIDigitVw::VScroll::LineDown);
            digit->viewport()->repaint();
            curve->viewport()->repaint();
        });
        std::printf("history window scroll step 1920x1080, 8 channels (reload + repaint of both panes): %.3f ms median wall, %.3f ms thread CPU (target < 5 ms)\n",
                    f.wall, f.cpu);
        doc->m_pCurveVw = nullptr;
        doc->m_pDigitVw = nullptr;
        delete doc;
    }
    {
        CAIHistDoc* doc = new CAIHistDoc;
        CAIDigitVw digit;
        digit.resize(1920, 1080);
        digit.show();
        digit.SetDocument(doc);
        doc->m_pDigitVw = &digit;
        digit.OnInitialUpdate();
        QApplication::processEvents();
        if (!doc->OpenFile(path))
            return 1;
        const Figures f = MedianMs(300, [&] {
            digit.OnVScroll(CAIDigitVw::VScroll::LineDown);
            digit.viewport()->repaint();
        });
        std::printf("digit pane alone 1920x1080 scroll step (reload + repaint): %.3f ms median wall, %.3f ms thread CPU (target < 5 ms)\n",
                    f.wall, f.cpu);
        doc->m_pDigitVw = nullptr;
        digit.SetDocument(nullptr);
        delete doc;
    }
    return 0;
}
