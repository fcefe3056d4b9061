// Figures every benchmark takes: the CPU time of the whole process (Qt's own threads
// included) and the median of a series.
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

inline double ProcessMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace bench
