#!/usr/bin/env bash
# Regenerates every picture in docs/, offscreen: the pages, the pages while an exchange with the
# simulated phone runs, and the about and help windows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target kva-pagegrab kva-smsgrab kva-info-shots phonesim test_pages_screenshot
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" || true
  rm -rf "$work"
}
trap cleanup EXIT

build/tools/pagegrab/kva-pagegrab docs/konfigurace.png
build/tools/art/kva-info-shots docs
KVA271_SCREENSHOT_DIR=$PWD/docs build/tests/sms/test_pages_screenshot --gtest_brief=1

# The exchanges in progress need a phone on COM1: the simulated one with an empty SIM.
build/tools/phonesim/phonesim --state "$work/sim.txt" >"$work/device.txt" &
sim_pid=$!
device=""
for _ in $(seq 100); do
  device=$(head -n 1 "$work/device.txt" 2>/dev/null || true)
  [ -n "$device" ] && break
  sleep 0.05
done
[ -n "$device" ] || { echo "phonesim printed no device" >&2; exit 1; }
export KVA271_COM1=$device
build/tools/pagegrab/kva-pagegrab --exchange docs/vymena.png
build/tools/pagegrab/kva-pagegrab --numbers-exchange docs/cisla-vymena.png
build/tools/smsgrab/kva-smsgrab docs/sms-vymena.png
echo "pictures written to docs/"
