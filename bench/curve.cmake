# Waveform views: live repaint and history scroll step at 1920x1080.
nuv_bench(bench_curve_live SOURCES bench_curve_live.cpp GUI)
nuv_bench(bench_curve_hist SOURCES bench_curve_hist.cpp GUI)
