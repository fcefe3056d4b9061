// History waveform view at 1920x1080, 8 channels: one scroll step (window reload and
// repaint). Without a file behind the document the reload is simulated by copying and
// de-interleaving the window from an in-memory image of the file.
#include "datafile/aihistdoc.h"
#include "views/aicurvevw.h"

#include "curvebench.h"

#include <QApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace nuv;

using curvebench::Median;
using curvebench::ThreadMs;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    constexpr int kScans = 200000, kCh = 8;
    std::vector<uint16_t> file(size_t(kScans) * kCh);
    for (int s = 0; s < kScans; ++s)
        for (int c = 0; c < kCh; ++c)
            file[size_t(s) * kCh + c] = uint16_t(32768 + 25000 * std::sin(s * 0.02 + c));

    auto doc = std::make_unique<CAIHistDoc>();
    doc->m_nChannelCount = kCh;
    doc->m_nScanCount = kScans;
    doc->m_nMaxPosition = kScans;
    doc->m_bOpen = 1;
    doc->m_bTile = 1;
    for (int i = 0; i < 8; ++i)
        doc->m_TraceColor[i] = qRgb(16 + 20 * i, 255 - 20 * i, 30 * i);
    doc->m_CursorColor[0] = qRgb(255, 0, 0);
    doc->m_CursorColor[1] = qRgb(255, 255, 255);

    CAICurveVw view;
    view.SetDocument(doc.get());
    curvebench::ShowAt(view, 1920, 1080);
    view.OnInitialUpdate();
    for (int i = 0; i < kCh; ++i)
        view.SetChannelRange(i, i, 5, curvebench::Volt10());
    view.SetScrollSizes(kScans);
    QApplication::processEvents();

    auto load = [&]() {
        const int n = std::min<int>(int(doc->m_nWindowLength), kScans - doc->m_nPosition);
        std::memcpy(doc->m_ReadBuffer, &file[size_t(doc->m_nPosition) * kCh], size_t(n) * kCh * 2);
        for (int k = 0; k < kCh; ++k)
            for (int s = 0; s < n; ++s)
                doc->m_Window[k][s] = doc->m_ReadBuffer[size_t(s) * kCh + k];
    };

    const int runs = 300;
    std::vector<double> step;
    double t0 = 0;
    int pos = 0;
    for (int i = 0; i < runs + 20; ++i) {
        pos += 40;
        t0 = ThreadMs();
        doc->m_nPosition = pos;
        view.ScrollToPosition(pos, false);   // the document reloads (no file: nothing read)
        load();                              // the read and de-interleave of a real reload
        view.RedrawAll();
        view.viewport()->repaint();
        if (i >= 20)
            step.push_back(ThreadMs() - t0);
    }
    std::printf("curve history scroll step 1920x1080 8 channels (reload + repaint): %.3f ms median thread CPU (target < 5 ms)\n",
                Median(step));
    view.SetDocument(nullptr);
    return 0;
}
