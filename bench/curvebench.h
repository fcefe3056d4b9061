// What the waveform view benchmarks share: the clock, the summary and a 1920x1080 view
// with every channel on the ±10 V range.
#pragma once

#include "benchclock.h"
#include "device/mdq4170.h"

#include <QAbstractScrollArea>
#include <algorithm>
#include <ctime>
#include <vector>

namespace curvebench {

// CPU time of this thread in ms: the figure the view costs, steady on a busy machine.
inline double ThreadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

using bench::Median;

inline RangeInfo Volt10()
{
    RangeInfo r{};
    r.RangeCode = 5;
    r.RangeMax = 10.0;
    r.RangeMin = -10.0;
    r.RangeSpan = 20.0;
    r.CodeStep = 20.0 / 65536.0;
    return r;
}

// Shows the view with a w x h viewport (the scroll bar comes on top of that).
inline void ShowAt(QAbstractScrollArea& view, int w, int h)
{
    view.show();
    view.resize(w, h);
    view.resize(w + (w - view.viewport()->width()), h + (h - view.viewport()->height()));
}

} // namespace curvebench
