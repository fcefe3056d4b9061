#!/usr/bin/env bash
# Builds and runs every test: a plain build, then an ASan+UBSan build, then a bounded run
# of each libFuzzer target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/deps.sh
jobs=$(nproc)

echo "== build and test"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUV_BENCH=ON
ninja -C build-ci
ctest --test-dir build-ci --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON -DNUV_BENCH=OFF
ninja -C build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer (the threaded parts: acquisition worker, DI reader, posted messages, device library)"
tsan_tests=(tst_acq_shared tst_acq_doc tst_acq_recording tst_dio_reader tst_dio_panel tst_dio_exit tst_core_messages tst_device_ai tst_shell_teardown)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUV_TSAN=ON -DNUV_BENCH=OFF
ninja -C build-tsan "${tsan_tests[@]}"
TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R "^($(IFS='|'; echo "${tsan_tests[*]}"))$"

echo "== fuzz targets (bounded)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUV_FUZZ=ON -DNUV_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
ninja -C build-fuzz fuzzers
shopt -s nullglob
export QT_QPA_PLATFORM=offscreen
for fz in build-fuzz/tests/fuzz_*; do
  [ -f "$fz" ] && [ -x "$fz" ] || continue
  name=$(basename "$fz"); name=${name#fuzz_}
  corpus=tests/fuzz/corpus_$name
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "-- $(basename "$fz")"
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 "$fz" -max_total_time=${NUV_FUZZ_SECONDS:-30} -max_len=16384 -rss_limit_mb=4096 "$work"
  rm -rf "$work"
done
echo "== all tests passed"
