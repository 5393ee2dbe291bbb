#!/usr/bin/env bash
# Where the resident memory of a round goes: the program is started, a round
# is opened and played to its end by the whole-program tests' scripted
# player, and /proc/PID/smaps is read on the title, 5 s into the round and at
# the round's last plate, each time as a rollup and summed by mapping (the
# heap, nameless anonymous blocks, each shared library, the rest); the peak
# resident memory of the round is sampled every 0.5 s.
#   scripts/measure_memory.sh [build-dir]           (default: build)
# With TIDE_HEAPTRACK=FILE the game runs under heaptrack, its record written
# to FILE.zst (read with heaptrack_print); the figures are then heaptrack's
# and not the program's own. Sound goes to OpenAL Soft's null device.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/scripts/lib/measure_start.sh" "$0" "$build"

work=$(mktemp -d)
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
if [ -n "${TIDE_HEAPTRACK:-}" ]; then
  command -v heaptrack >/dev/null || { echo "heaptrack is not installed" >&2; exit 1; }
  printf '#!/bin/sh\nexec heaptrack -o "%s" "%s" "$@"\n' "$TIDE_HEAPTRACK" "$game_bin" >"$work/game"
  chmod +x "$work/game"
  game_bin=$work/game
fi
trap 'kill "$sampler_pid" 2>/dev/null; rm -rf "$work" "$e2e_tmp"' EXIT
sampler_pid=""

start_game_split ALSOFT_CONF="$work/alsoft.conf"
wid=$(find_window) || exit 1
locate_window "$wid"

# The game itself, also when heaptrack started it.
game_process() {
  local child
  [ -z "${TIDE_HEAPTRACK:-}" ] && { echo "$game_pid"; return; }
  for child in $(pgrep -P "$game_pid") $(pgrep -P "$(pgrep -P "$game_pid" | tr '\n' ,)" 2>/dev/null); do
    [[ $(cat "/proc/$child/comm" 2>/dev/null) == tide_marker* ]] && { echo "$child"; return; }
  done
}

# Resident kB by kind of mapping, then the rollup's lines that matter.
report() {
  local pid=$1 what=$2
  echo "== $what"
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / {
      name = (NF >= 6) ? $6 : "(anonymous)"
      if (name ~ /^\//) { n = split(name, part, "/"); name = part[n] }
      next
    }
    /^Rss:/ { rss[name] += $2 }
    END { for (k in rss) if (rss[k] >= 512) printf "  %-40s %8d kB\n", k, rss[k] }
  ' "/proc/$pid/smaps" | sort -k2 -nr
  # Nameless blocks over 1 MB one by one (a thread's malloc arena is a
  # 64 MiB reservation of which a part is mapped): address, size, resident.
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / { anon = NF < 6; range = $1; next }
    /^Size:/ { size = $2 }
    /^Rss:/ { if (anon && $2 >= 1024) printf "  anonymous %s %7d kB, resident %7d kB\n", range, size, $2 }
  ' "/proc/$pid/smaps"
  grep -E '^(Rss|Pss|Anonymous|Shared_Clean|Private_Clean|Private_Dirty):' "/proc/$pid/smaps_rollup" | sed 's/^/  /'
}

wait_for_scene title 120 title
pid=$(game_process)
[ -n "$pid" ] || { echo "the game's process was not found" >&2; exit 1; }
sleep 3
report "$pid" "title"
leave_title "the round"
wait_for_scene game 60 game
(
  while kill -0 "$pid" 2>/dev/null; do
    awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null
    sleep 0.5
  done
) >"$work/rss" &
sampler_pid=$!
sleep 5
report "$pid" "round, 5 s in"
stop_at_round_end=1
play_round 600 round
report "$pid" "round, at its end"
kill "$sampler_pid" 2>/dev/null
wait "$sampler_pid" 2>/dev/null
sampler_pid=""
sort -n "$work/rss" | awk '{ v[NR] = $1 } END { printf "== round: resident %d..%d kB, median %d kB (%d samples)\n", v[1], v[NR], v[int((NR + 1) / 2)], NR }'
xdotool key --window "$wid" F12
expect_clean_exit 60
