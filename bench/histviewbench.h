// The history waveform the history benchmarks measure: 1920x1080, showing a fresh
// recording of noise, 8 channels x 2^22 readings; operator messages go to stderr.
#pragma once

#include "bench_hist_file.h"
#include "curvebench.h"

#include "datafile/aihistdoc.h"
#include "framework/msgseam.h"
#include "views/aicurvevw.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

namespace curvebench {

struct NoiseHistory {
    QTemporaryDir dir;
    std::unique_ptr<nuv::CAIHistDoc> doc = std::make_unique<nuv::CAIHistDoc>();
    nuv::CAICurveVw view;

    // Writes the recording, shows the view, lets `prepare` set it up after its initial
    // update, and opens the recording. False when any step fails.
    bool Open(const std::function<void(NoiseHistory&)>& prepare = {})
    {
        nuv::SetMessageHandler([](const nuv::MsgRequest& r) {
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
            return int(nuv::IDOK);
        });
        const QString path = dir.filePath("noise.bin");
        if (!benchhist::WriteRecording(path, 8, uint64_t(1) << 22, true))
            return false;
        view.SetDocument(doc.get());
        ShowAt(view, 1920, 1080);
        view.OnInitialUpdate();
        if (prepare)
            prepare(*this);
        QApplication::processEvents();
        if (!doc->OpenFile(path))
            return false;
        QApplication::processEvents();
        return true;
    }
};

} // namespace curvebench
