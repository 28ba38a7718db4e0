#!/usr/bin/env bash
# Starts the program with a simulated phone on COM1 (no cable needed): phonesim runs on a
# pseudo-terminal, KVA271_COM1 points at it, and the phone stops when the program exits.
# The simulated SIM is kept in build/demo/ between runs; delete that folder to start over.
# The dialogue with the phone is logged to build/demo/transcript.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

sim=build/tools/phonesim/phonesim
app=build/app/kva271-config
if [ ! -x "$sim" ] || [ ! -x "$app" ]; then
  scripts/build.sh
fi

demo=build/demo
mkdir -p "$demo"
state="$demo/sim-state.txt"
if [ ! -f "$state" ]; then
  # A SIM to read back: numbers at 1 and 7, a configuration at 5 and 6, a message the
  # alarm received at SMS position 1 and one stored message at position 2.
  cat > "$state" <<'SIM'
# Simulated SIM of ./run --demo (delete this file to get it back as it was)
pb 1 145 +420603123456 Demo
pb 5 145 +000000000001 Setup
pb 6 145 +000000092310 Casy
pb 7 145 +420800123456 Kredit
sms 1 0 0791246030500200040C9124603021436500004210120100000013D0379C1D1EA3412D907D4EAFC341CF650C
sms 2 2 079124603050020011000C9124603021436500000403CFA50C
SIM
fi

# KVA271_DEMO_PHONE: further phonesim options, e.g. "--mute-after 3" (see docs/phonesim.md).
read -r -a extra <<< "${KVA271_DEMO_PHONE:-}"
"$sim" --state "$state" --transcript "$demo/transcript.txt" --link "$demo/COM1" "${extra[@]}" \
  > "$demo/device.txt" &
sim_pid=$!
stop_sim() {
  if kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid"
    wait "$sim_pid" || true
  fi
}
trap stop_sim EXIT

device=""
for _ in $(seq 100); do
  device=$(head -n 1 "$demo/device.txt" 2>/dev/null || true)
  [ -n "$device" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "phonesim did not start" >&2; exit 1; }
  sleep 0.05
done
[ -n "$device" ] || { echo "phonesim printed no device" >&2; exit 1; }

# COM1 names the link, so a COM name assigned to the simulated phone in "Najít telefon…"
# (kept in the demo's own ports.ini, not the user's) finds it again in the next demo.
export KVA271_COM1="$PWD/$demo/COM1"
export XDG_CONFIG_HOME="$PWD/$demo/config"
# First demo run: let the program open COM1 by itself at start-up.
settings=build/app/setting.ini
[ -f "$settings" ] || printf 'COM1\r\n+420603052000\r\n' > "$settings"
echo "Simulated phone on $device (COM1); SIM in $state, dialogue in $demo/transcript.txt"
echo "If Port > COM1 is not ticked in the program, choose it."
"$app" "$@"
