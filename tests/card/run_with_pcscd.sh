#!/usr/bin/env bash
# Runs a test program beside a private PC/SC daemon with the simulated SIM in its virtual reader.
# The daemon's socket is fixed at /run/pcscd, so the daemon, the card and the test get a mount
# and network namespace of their own (unshare; as a normal user with a user namespace too): a
# tmpfs over /run hides the host's daemon, and the card's TCP port stays private.
#   run_with_pcscd.sh <simcard> <test program> [simcard options...]
# Exits 77 (skipped) only when this machine cannot make such a namespace or lacks the daemon.
set -euo pipefail
simcard=$1
program=$2
shift 2

if [ "${KVA_IN_PCSC_NAMESPACE:-}" != 1 ]; then
  driver=/usr/lib/pcsc/drivers/serial/libifdvpcd.so
  for need in pcscd unshare ip; do
    command -v "$need" >/dev/null || { echo "SKIP: $need is not installed (scripts/deps.sh --test)"; exit 77; }
  done
  [ -e "$driver" ] || { echo "SKIP: $driver is missing (package vsmartcard-vpcd)"; exit 77; }
  flags=(-m -n)
  [ "$(id -u)" -eq 0 ] || flags=(-r -m -n)
  if ! unshare "${flags[@]}" true 2>/tmp/kva-unshare-$$.err; then
    echo "SKIP: cannot make a private mount and network namespace (unshare ${flags[*]}): $(cat /tmp/kva-unshare-$$.err)"
    rm -f /tmp/kva-unshare-$$.err
    exit 77
  fi
  rm -f /tmp/kva-unshare-$$.err
  KVA_IN_PCSC_NAMESPACE=1 exec unshare "${flags[@]}" "$0" "$simcard" "$program" "$@"
fi

work=$(mktemp -d)
cleanup() {
  [ -n "${card_pid:-}" ] && kill "$card_pid" 2>/dev/null || true
  [ -n "${daemon_pid:-}" ] && kill "$daemon_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  [ -n "${KVA_KEEP_CARD_FILES:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

ip link set lo up
mount -t tmpfs tmpfs /run
mkdir -p /run/pcscd
cat > "$work/reader.conf" <<'CONF'
FRIENDLYNAME "Virtual PCD"
DEVICENAME   /dev/null:0x8C7B
LIBPATH      /usr/lib/pcsc/drivers/serial/libifdvpcd.so
CHANNELID    0x8C7B
CONF
pcscd --foreground -c "$work/reader.conf" >"$work/pcscd.log" 2>&1 &
daemon_pid=$!
for _ in $(seq 100); do [ -S /run/pcscd/pcscd.comm ] && break; sleep 0.05; done
[ -S /run/pcscd/pcscd.comm ] || { echo "pcscd did not start:"; cat "$work/pcscd.log"; exit 1; }

"$simcard" --state "$work/state" --transcript "$work/transcript" "$@" &
card_pid=$!

export KVA_SIMCARD_STATE="$work/state" KVA_SIMCARD_TRANSCRIPT="$work/transcript"
status=0
"$program" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- card transcript (last 40 lines)"; tail -n 40 "$work/transcript" || true
  echo "--- pcscd"; tail -n 20 "$work/pcscd.log" || true
fi
exit "$status"
