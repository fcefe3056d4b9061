// Waveform views built by hand (no frame): a live document with a sine sweep, a history
// document with a loaded window, range records filled in place.
#pragma once

#include "acquisition/aidoc.h"
#include "datafile/aihistdoc.h"
#include "views/aicurveview.h"
#include "views/aicurvevw.h"
#include "views/curvegeom.h"

#include <QImage>
#include <QTest>
#include <cmath>
#include <memory>

namespace curvetest {

using namespace nuv;

inline RangeInfo Range(uint32_t code)
{
    RangeInfo r{};
    r.RangeCode = code;
    if (code >= 9) {
        r.RangeMax = 1200.0;
        r.RangeMin = -200.0;
    } else {
        r.RangeMax = 10.0;
        r.RangeMin = -10.0;
    }
    r.RangeSpan = r.RangeMax - r.RangeMin;
    r.CodeStep = r.RangeSpan / 65536.0;
    return r;
}

inline uint16_t Sine(int channel, int j)
{
    return uint16_t(32768 + 20000 * std::sin(2 * M_PI * j / 200.0 + channel * 0.7));
}

// Resizes `area` so that its viewport is w x h.
template <class View> void SizeViewport(View& v, int w, int h)
{
    v.resize(w, h);
    const int dw = w - v.viewport()->width(), dh = h - v.viewport()->height();
    if (dw != 0 || dh != 0)
        v.resize(w + dw, h + dh);
    QCOMPARE(v.viewport()->width(), w);
    QCOMPARE(v.viewport()->height(), h);
}

inline QImage Render(QWidget* viewport)
{
    QImage img(viewport->size(), QImage::Format_RGB32);
    img.fill(0xFF00FF00u);
    viewport->render(&img);
    return img;
}

struct LiveRig {
    std::unique_ptr<CAIDoc> doc{new CAIDoc};
    std::unique_ptr<CAICurveView> view{new CAICurveView};

    explicit LiveRig(int w = 860, int h = 630, int first = 0, int count = 8, int sweepPos = 799)
    {
        doc->m_Param.FirstChannel = uint32_t(first);
        doc->m_Param.ChannelCount = uint32_t(count);
        for (int i = 0; i < 8; ++i)
            doc->m_Param.Range[i] = 5;
        doc->m_nMaxScrollPos = 800;
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 800; ++j)
                doc->m_CodeRing[i][j] = Sine(i, j);
        doc->m_nSweepPos.store(sweepPos);
        view->SetDocument(doc.get());
        doc->m_hCurveWnd.store(view->GetSafeHwnd());   // as the AI frame does
        view->show();
        SizeViewport(*view, w, h);
        view->OnInitialUpdate();
        for (int i = 0; i < 8; ++i)
            view->SetChannelRange(i, 5, Range(5));
    }
    ~LiveRig() { view.reset(); }
    QImage Image() { return Render(view->viewport()); }
};

struct HistRig {
    std::unique_ptr<CAIHistDoc> doc{new CAIHistDoc};
    std::unique_ptr<CAICurveVw> view{new CAICurveVw};

    explicit HistRig(int channels = 3, int w = 860, int h = 630, int scans = 100000)
    {
        for (int i = 0; i < 8; ++i)
            doc->m_TraceColor[i] = curve::DefaultTraceRgb(i);
        for (int k = 0; k < 3; ++k)
            doc->m_CursorColor[k] = curve::DefaultCursorRgb(k);
        doc->m_nChannelCount = uint32_t(channels);
        doc->m_nScanCount = scans;
        doc->m_nMaxPosition = scans;
        doc->m_nPosition = 0;
        doc->m_bOpen = 1;
        doc->m_bTile = 1;
        doc->m_nSelSlot = 0;
        for (int i = 0; i < channels; ++i)
            for (int j = 0; j < CAIHistDoc::kWindowScans; ++j)
                doc->m_Window[i][j] = Sine(i, j);
        view->SetDocument(doc.get());
        view->show();
        SizeViewport(*view, w, h);
        view->OnInitialUpdate();
        for (int i = 0; i < channels; ++i)
            view->SetChannelRange(i + 2, i, i == 2 ? 9 : 5, Range(i == 2 ? 9 : 5));
        view->SetScrollSizes(scans);
        view->ScrollToPosition(0, true);
    }
    ~HistRig()
    {
        view.reset();
    }
    QImage Image() { return Render(view->viewport()); }
};

} // namespace curvetest
