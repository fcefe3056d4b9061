// CPU of the whole program while it acquires: the main window with the AI window built as
// at start-up, eight channels at full rate (reads back to back), waveform, table and the
// status information bar of a recording all live. Prints the share of one core, first of
// the idle program, then while acquiring. bench/run starts it on Xvfb when there is one:
// the X server's traffic is part of what painting costs.
//
// Usage: bench_app_cpu [--seconds N]   (default 30)
#include "acquisition/aidoc.h"
#include "app/aifrm.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "app/seldevdlg.h"
#include "acquisition/aiparamvw.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace nuv;

static double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + 1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
}

int main(int argc, char* argv[])
{
    int seconds = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
    qputenv("MDQ4170_SIM_MODULES", "1");
    qputenv("MDQ4170_SIM_TIMESCALE", "1");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("cpu.bin");

    SetMessageHandler([](const MsgRequest& r) {
        std::fprintf(stderr, "box: %s\n", qPrintable(r.text));
        return int(IDOK);
    });
    CSelDevDlg::SetRunner([](CSelDevDlg& dlg) {
        dlg.OnOK();
        return dlg.result();
    });
    CAIParamVw::SetSaveFileChooser([path](QWidget*) { return path; });
    if (!theApp.InitInstance() || theApp.m_pAIFrame == nullptr) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    CAIFrm* frm = theApp.m_pAIFrame;
    CAIDoc* doc = frm->GetDoc();
    if (auto* save = frm->findChild<QCheckBox*>(QStringLiteral("1347")))
        save->click();
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 8;
    doc->m_fReadInterval = 100.0f;   // shorter than a scan: reads follow back to back
    doc->m_fNotifyInterval = 100.0f;

    // Start-up settles, then the program sits idle (no run) for `idle` seconds, then it
    // acquires for `seconds` (longer when fewer than 60 readings came in).
    constexpr int kIdleSecs = 10;
    constexpr uint64_t kMinReadings = 60;
    double cpu0 = 0;
    uint64_t samples0 = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, [&] {
        cpu0 = CpuSeconds();
        wall.start();
    });
    QTimer::singleShot(1000 + kIdleSecs * 1000, [&] {
        const double cpu = CpuSeconds() - cpu0;
        const double secs = double(wall.nsecsElapsed()) * 1e-9;
        std::printf("whole program idle, AI window open, no run (%s): %.3f %% of one core over %.1f s (target < 0.05 %%)\n",
                    qPrintable(QGuiApplication::platformName()), 100.0 * cpu / secs, secs);
        std::fflush(stdout);
        doc->OnStartAcquisition();
    });
    QTimer::singleShot(3000 + kIdleSecs * 1000, [&] {
        cpu0 = CpuSeconds();
        wall.start();
        samples0 = doc->m_SampleCount.load();
    });
    QTimer report;
    report.setInterval(1000);
    QObject::connect(&report, &QTimer::timeout, [&] {
        const uint64_t readings = doc->m_SampleCount.load() - samples0;
        if (wall.elapsed() < qint64(seconds) * 1000 || readings < kMinReadings)
            return;
        report.stop();
        const double cpu = CpuSeconds() - cpu0;
        const double secs = double(wall.nsecsElapsed()) * 1e-9;
        std::printf("whole program acquiring 8 channels (waves, table, status, recording; %s): %.2f %% of one core "
                    "over %.1f s, %llu readings (target < 0.3 %%)\n",
                    qPrintable(QGuiApplication::platformName()), 100.0 * cpu / secs, secs,
                    static_cast<unsigned long long>(readings));
        std::fflush(stdout);
        doc->OnStopAcquisition();
        QTimer::singleShot(1500, &app, &QApplication::quit);
    });
    QTimer::singleShot(3000 + kIdleSecs * 1000, &report, qOverload<>(&QTimer::start));
    const int rc = app.exec();
    theApp.ExitInstance();
    return rc;
}
