// One PageDown in a maximized history window (main window 1920x1080) as the program shows
// it: the recording opened through the program, its frame with the real pane split, the
// key sent to the waveform pane; the document reloads its window from the file and both
// panes repaint. The recording holds noise on all 8 channels, the traces' worst case.
// Wall time and the CPU of the whole process (Qt's threads included).
#include "benchclock.h"
#include "bench_hist_file.h"

#include "app/aihistfrm.h"
#include "app/mainfrm.h"
#include "app/nuvapp.h"
#include "app/seldevdlg.h"
#include "datafile/aihistdoc.h"
#include "framework/msgseam.h"
#include "views/aicurvevw.h"
#include "views/aidigitvw.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace nuv;

namespace {

using bench::Median;
using bench::ProcessMs;


} // namespace

int main(int argc, char** argv)
{
    qputenv("MDQ4170_SIM_MODULES", "1");
    QApplication app(argc, argv);
    SetMessageHandler([](const MsgRequest& r) {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return int(IDOK);
    });
    CSelDevDlg::SetRunner([](CSelDevDlg& dlg) {
        dlg.OnOK();
        return dlg.result();
    });
    QTemporaryDir dir;
    const QString path = dir.filePath("noise.bin");
    if (!benchhist::WriteRecording(path, 8, uint64_t(1) << 22, true))
        return 1;
    if (!theApp.InitInstance())
        return 1;
    auto* main = static_cast<CMainFrm*>(theApp.GetMainWnd());
    main->showNormal();
    main->setGeometry(0, 0, 1920, 1080);
    CAIHistDoc* doc = theApp.OpenDocumentFile(path);
    if (doc == nullptr)
        return 1;
    auto* frame = static_cast<CAIHistFrm*>(doc->GetFrame());
    CAICurveVw* curve = frame->GetCurveVw();
    CAIDigitVw* digit = frame->GetDigitVw();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    curve->setFocus();

    std::vector<double> wall, cpu;
    for (int i = 0; i < 320; ++i) {
        QKeyEvent key(QEvent::KeyPress, i % 500 == 499 ? Qt::Key_Home : Qt::Key_PageDown, Qt::NoModifier);
        QElapsedTimer t;
        t.start();
        const double c0 = ProcessMs();
        QApplication::sendEvent(curve, &key);
        QApplication::processEvents();   // the paint of both panes
        if (i >= 20) {
            wall.push_back(double(t.nsecsElapsed()) / 1e6);
            cpu.push_back(ProcessMs() - c0);
        }
    }
    std::printf("history PageDown, window 1920x1080 (panes %dx%d and %dx%d), 8 channels of noise: %.3f ms median "
                "wall, %.3f ms median process CPU (target < 2.5 ms each)\n",
                digit->viewport()->width(), digit->viewport()->height(), curve->viewport()->width(),
                curve->viewport()->height(), Median(wall), Median(cpu));
    theApp.ExitInstance();
    return 0;
}
