# Waveform views: live repaint and history scroll step at 1920x1080.
nuv_bench(bench_curve_live SOURCES bench_curve_live.cpp GUI)
nuv_bench(bench_curve_hist SOURCES bench_curve_hist.cpp GUI)
# Measuring: statistics update, cursor read-out, whole-file statistics of 4 GiB.
nuv_bench(bench_curve_measure SOURCES bench_curve_measure.cpp)
nuv_bench(bench_curve_measurevw SOURCES bench_curve_measurevw.cpp GUI)
