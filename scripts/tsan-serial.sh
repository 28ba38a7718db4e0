#!/usr/bin/env bash
# Builds the serial port layer and its tests with ThreadSanitizer in build-tsan/ and runs them.
# Exits non-zero on a failed test or any reported data race or lock-order problem.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f build-tsan/CMakeCache.txt ]; then
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVA_SANITIZE=thread \
    -DKVA_BUILD_BENCH=OFF "${launcher[@]}" "$@" >/dev/null
fi
cmake --build build-tsan --target test_serial -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/tests/serial/tsan.supp ${TSAN_OPTIONS:-}"
build-tsan/tests/serial/test_serial --gtest_brief=1
