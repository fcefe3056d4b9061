# History playback: opening a 4 GiB recording (time, resident memory) and one scroll step
# of a maximized history window; exporting a 4 GiB recording as CSV.
nuv_bench(bench_hist_open SOURCES bench_hist_open.cpp GUI)
nuv_bench(bench_hist_scroll SOURCES bench_hist_scroll.cpp GUI)
nuv_bench(bench_export SOURCES bench_export.cpp)
