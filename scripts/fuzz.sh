#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time, as many
# at once as there are cores. A target that finds a crash, a leak or a broken property fails.
#   scripts/fuzz.sh                 about 20 s per target (what ./test runs)
#   scripts/fuzz.sh 600             ten minutes per target, on demand
#   scripts/fuzz.sh 600 pdu sms_file    only these targets
# The corpus each target grows is kept in build-fuzz/corpus/<name>/ (the committed seeds stay in
# fuzz/corpus/<name>/); a crashing input is saved as build-fuzz/crash-<name>-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
CC=clang CXX=clang++ scripts/configure.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVA_FUZZ=ON \
  -DKVA_BUILD_TESTS=OFF -DKVA_BUILD_BENCH=OFF -DKVA_SANITIZE= -DKVA_WERROR=ON -DCMAKE_UNITY_BUILD=ON
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
# A smaller quarantine than AddressSanitizer's 256 MB keeps long runs under the memory limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64}"

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] && names+=("$(basename "$target" | sed 's/^fuzz_//')")
  done
fi

run_one() {
  local name=$1 seconds=$2
  local work="build-fuzz/corpus/$name" log="build-fuzz/$name.log"
  mkdir -p "$work"
  if build-fuzz/fuzz/"fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/crash-$name-" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    local runs
    runs=$(grep -a -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $name: ok, ${runs:-?} executions in ${seconds}s"
  else
    echo "fuzz $name: FAILED (see $log)"
    tail -n 30 "$log"
    return 1
  fi
}

status=0
running=0
started=()
for name in "${names[@]}"; do
  [ -x "build-fuzz/fuzz/fuzz_$name" ] || { echo "fuzz $name: no such target"; status=1; continue; }
  rm -f "build-fuzz/$name.result"
  run_one "$name" "$seconds" >"build-fuzz/$name.result" 2>&1 &
  started+=("$name")
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true
for name in "${started[@]}"; do
  cat "build-fuzz/$name.result"
  grep -q "^fuzz $name: ok" "build-fuzz/$name.result" || status=1
done
exit $status
