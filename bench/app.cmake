nuv_bench(bench_app_cpu SOURCES bench_app_cpu.cpp GUI)
# Start-up of the program itself: it runs `nuv`, so it is built with it.
nuv_bench(bench_app_launch SOURCES bench_app_launch.cpp)
target_compile_definitions(bench_app_launch PRIVATE NUV_PROGRAM="$<TARGET_FILE:nuv>")
add_dependencies(bench_app_launch nuv)
