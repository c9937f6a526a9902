#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test: formatting,
# the unit and GUI suites (offscreen), the install tree and the Debian package,
# the same suites again under ASan+UBSan, and a bounded libFuzzer run over the
# line readers.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-$(nproc)}"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
git ls-files -- '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

echo "== build (warnings are errors)"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_WERROR=ON >/dev/null
cmake --build build-ci -j "$JOBS"

echo "== tests"
ctest --test-dir build-ci --output-on-failure -j "$JOBS" -LE packaging

echo "== packaging (install tree, desktop files, manual pages, .deb)"
ctest --test-dir build-ci --output-on-failure -L packaging

echo "== sanitizers (every suite)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_WERROR=ON \
    -DQUORVEX_SANITIZE=ON -DQUORVEX_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS"
ctest --test-dir build-asan --output-on-failure -j "$JOBS" -LE packaging

echo "== fuzzing (${FUZZ_SECONDS}s)"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEX_WERROR=ON -DQUORVEX_BUILD_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$JOBS"
mkdir -p build-fuzz/corpus
build-fuzz/fuzz/read_data_line_fuzzer -max_total_time="$FUZZ_SECONDS" -max_len=4096 \
    -print_final_stats=1 build-fuzz/corpus fuzz/corpus
