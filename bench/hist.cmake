# History playback: opening a 4 GiB recording (time, resident memory) and one scroll step
# of a maximized history window.
nuv_bench(bench_hist_open SOURCES bench_hist_open.cpp GUI)
nuv_bench(bench_hist_scroll SOURCES bench_hist_scroll.cpp GUI)
