#!/usr/bin/env bash
# Measures what saving the player's settings costs the ticks: the real
# program at its title, its settings folder on the disk, a writer that keeps
# the disk busy (dd with fsync, over and over), and '-' and '=' pressed ten
# times a second, each press a save. The engine's tick interval report
# (TIDE_STATS) is read at exit and printed. That report covers the whole
# run, start-up and its scene switches (idle ticks, 200 ms apart) included,
# so compare it with a run without the keys (TIDE_STALL_KEYS=0); the ticks
# alone, without start-up, are measured by bench/settings_save_bench.cpp.
#   scripts/measure_settings_stall.sh [build-dir] [seconds]   (defaults: build, 10)
# TIDE_STALL_KEYS=0 or TIDE_STALL_LOAD=0 leave out the key presses or the
# disk writer, for a baseline.
# Needs the build's tide_marker and contents; runs under xvfb-run when no X
# display is set. Sound goes to OpenAL Soft's null device.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-10}
source "$root/scripts/lib/measure_start.sh" "$0" "$build" "$seconds"

# On the build's own disk, not a memory file system: the fsyncs must wait
# for the disk as a player's would.
work=$(mktemp -d "$build/settings_stall.XXXXXX")
load_pid=""
trap '[ -n "$load_pid" ] && kill "$load_pid" 2>/dev/null; rm -rf "$work"' EXIT
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"

start_game_split TIDE_STATS=1 ALSOFT_CONF="$work/alsoft.conf" XDG_CONFIG_HOME="$work/config"
wid=$(find_window) || exit 1
locate_window "$wid"
wait_for_scene title 60

# 64 MiB written and flushed, again and again, while the keys are pressed.
keys=${TIDE_STALL_KEYS:-1}
load() {
  if [ "${TIDE_STALL_LOAD:-1}" = 1 ]; then
    dd if=/dev/zero of="$work/load" bs=1M count=64 conv=fsync status=none
  else
    sleep 1
  fi
}
(while :; do load; done) &
load_pid=$!
sleep 1

presses=$((seconds * 10))
for i in $(seq 1 "$presses"); do
  if [ $((i % 2)) -eq 0 ]; then key=equal; else key=minus; fi
  [ "$keys" = 1 ] && xdotool key --window "$wid" "$key"
  sleep 0.1
done
kill "$load_pid" 2>/dev/null
wait "$load_pid" 2>/dev/null
load_pid=""

xdotool key --window "$wid" F12
expect_clean_exit 30
[ "$keys" = 0 ] || grep -q '^volume = ' "$work/config/tide_marker/settings.ini" || fail "no settings were saved"
line=$(grep '^TIDE_STATS ticks' "$game_err") || fail "no tick report (TIDE_STATS)"
echo "$presses presses (each a save) in about $seconds s, the disk kept busy"
echo "$line"
p99=$(echo "$line" | sed -n 's/.* p99=\([0-9]*\) .*/\1/p')
echo "tick interval p99 ${p99:-?} ms over the whole run"
