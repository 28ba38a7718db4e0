#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time.
#   scripts/fuzz.sh            about 20 s per target (what ./test runs)
#   scripts/fuzz.sh 600        ten minutes per target, on demand
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVA_FUZZ=ON \
    -DKVA_BUILD_TESTS=OFF -DKVA_BUILD_BENCH=OFF -DKVA_WERROR=ON "${launcher[@]}" >/dev/null
fi
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
status=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); name=${name#fuzz_}
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  log="build-fuzz/$name.log"
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/crash-$name-" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $name: ok, ${runs:-?} executions in ${seconds}s"
  else
    echo "fuzz $name: FAILED (see $log)"; tail -n 30 "$log"; status=1
  fi
done
exit $status
