#!/usr/bin/env bash
# Builds every test with AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/ and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DKVA_SANITIZE=address -DKVA_BUILD_TESTS=ON \
  -DKVA_BUILD_BENCH=OFF -DKVA_FUZZ=OFF -DKVA_WERROR=ON -DCMAKE_UNITY_BUILD=ON
cmake --build build-asan -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" 2>&1 | tee build-asan/ctest.log
grep -E 'tests passed|tests failed' build-asan/ctest.log | tail -n 1
