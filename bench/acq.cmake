# Live acquisition: the cycle's own work and allocations, pacing, the live digit table.
nuv_bench(bench_acq_cycle SOURCES bench_acq_cycle.cpp GUI)
nuv_bench(bench_acq_pacing SOURCES bench_acq_pacing.cpp GUI)
nuv_bench(bench_acq_table SOURCES bench_acq_table.cpp GUI)
