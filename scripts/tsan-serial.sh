#!/usr/bin/env bash
# Builds the serial port layer and its tests with ThreadSanitizer in build-tsan/ and runs them.
# Exits non-zero on a failed test or any reported data race or lock-order problem.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVA_SANITIZE=thread -DKVA_BUILD_TESTS=ON \
  -DKVA_BUILD_BENCH=OFF -DKVA_FUZZ=OFF -DKVA_WERROR=ON -DCMAKE_UNITY_BUILD=ON "$@"
cmake --build build-tsan --target test_serial test_serial_faults -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/tests/sanitizers/tsan.supp ${TSAN_OPTIONS:-}"
build-tsan/tests/serial/test_serial --gtest_brief=1
build-tsan/tests/serial/test_serial_faults --gtest_brief=1
