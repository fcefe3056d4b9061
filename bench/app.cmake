nuv_bench(bench_app_cpu SOURCES bench_app_cpu.cpp GUI)
