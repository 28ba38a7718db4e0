#!/usr/bin/env bash
# Regenerates every picture in docs/, offscreen: the pages, the pages while an exchange with the
# simulated phone runs, the phone finder, and the about and help windows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target kva-pagegrab kva-smsgrab kva-info-shots phonesim test_pages_screenshot
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null && wait "$pid" || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

build/tools/pagegrab/kva-pagegrab docs/konfigurace.png
build/tools/art/kva-info-shots docs
KVA271_SCREENSHOT_DIR=$PWD/docs build/tests/sms/test_pages_screenshot --gtest_brief=1

# start_phone VAR [phonesim options]: starts a simulated phone, its device in VAR.
start_phone() {
  local var=$1
  shift
  local out="$work/device-${#sim_pids[@]}.txt"
  build/tools/phonesim/phonesim "$@" >"$out" &
  sim_pids+=($!)
  local found=""
  for _ in $(seq 100); do
    found=$(head -n 1 "$out" 2>/dev/null || true)
    [ -n "$found" ] && break
    sleep 0.05
  done
  [ -n "$found" ] || { echo "phonesim printed no device" >&2; exit 1; }
  printf -v "$var" '%s' "$found"
}

# The phone finder: a phone and a USB adapter with nothing behind it, shown under the names a
# user's USB devices have (no path of this machine appears).
start_phone phone --state "$work/finder.txt"
start_phone silent --silent
# On a 1920 x 1080 desktop, where the dialog grows until every column shows whole.
echo '{"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]}' \
  >"$work/screen.json"
QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" \
  build/tools/pagegrab/kva-pagegrab --find-phone docs/najit-telefon.png "$phone" "$silent"

# The exchanges in progress need a phone on COM1: the simulated one with an empty SIM.
start_phone device --state "$work/sim.txt"
export KVA271_COM1=$device
build/tools/pagegrab/kva-pagegrab --exchange docs/vymena.png
build/tools/pagegrab/kva-pagegrab --numbers-exchange docs/cisla-vymena.png
build/tools/smsgrab/kva-smsgrab docs/sms-vymena.png
echo "pictures written to docs/"
