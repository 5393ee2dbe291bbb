#!/usr/bin/env bash
# Measures the real program over a long run: several rounds played to the
# clear scene by the scripted player of the whole-program tests, with the
# process's CPU time and resident memory sampled every 2 s and the engine's
# own tick and frame interval report (TIDE_STATS=1) read at exit.
#   scripts/measure_run.sh [build-dir] [rounds]      (defaults: build, 4)
# Needs the build's tide_marker, contents and tests/e2e_probe; runs under
# xvfb-run when no X display is set. Sound goes to OpenAL Soft's null device.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-4}
source "$root/scripts/lib/measure_start.sh" "$0" "$build" "$rounds"

work=$(mktemp -d)
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
samples=$work/samples
marks=$work/marks
clock_ticks=$(getconf CLK_TCK)

start_game_split TIDE_STATS=1 ALSOFT_CONF="$work/alsoft.conf"
wid=$(find_window) || exit 1
locate_window "$wid"

# elapsed s, resident kB, CPU ticks (user + system), threads
sample_loop() {
  while kill -0 "$game_pid" 2>/dev/null; do
    local rss cpu threads
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null)
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null)
    # Fields after the command name: utime and stime are the 12th and 13th.
    cpu=$(sed 's/^.*) //' "/proc/$game_pid/stat" 2>/dev/null | awk '{ print $12 + $13 }')
    [ -n "$rss" ] && echo "$(elapsed) $rss $cpu $threads" >>"$samples"
    sleep 2
  done
}
sample_loop &
sampler_pid=$!

mark() { echo "$(elapsed) $1 $(awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status")" >>"$marks"; }

wait_for_scene title 60 title
for r in $(seq 1 "$rounds"); do
  sleep 5
  mark "round${r}_title"
  leave_title "round $r"
  wait_for_scene game 40 "round${r}_game"
  mark "round${r}_play"
  play_round 600 "round$r"
  mark "round${r}_clear"
  leave_clear "round$r"
done
sleep 2
mark end
xdotool key --window "$wid" F12
expect_clean_exit 60
kill "$sampler_pid" 2>/dev/null
wait "$sampler_pid" 2>/dev/null

echo
echo "== engine report (TIDE_STATS)"
grep '^TIDE_STATS' "$game_err" || echo "(none: the engine printed no report)"
echo
echo "== marks: run time s, scene, resident kB"
cat "$marks"
echo
echo "== samples every 2 s: run time s, resident kB, CPU ticks, threads"
awk 'NR % 5 == 1' "$samples"
echo
awk -v hz="$clock_ticks" '
  NR == 1 { t0 = $1; c0 = $3 }
  { t = $1; c = $3; if ($2 > peak) peak = $2; if (NR == 1 || $2 < low) low = $2 }
  END {
    printf "== CPU: %.1f %% of one core over %.0f s (user + system); resident memory %d..%d kB\n",
           100 * (c - c0) / hz / (t - t0), t - t0, low, peak
  }' "$samples"
awk '
  $2 ~ /_play$/ { start[$2] = $3; order[++n] = $2 }
  $2 ~ /_clear$/ { sub(/_clear$/, "_play", $2); finish[$2] = $3 }
  END {
    for (i = 1; i <= n; ++i) {
      k = order[i]
      printf "   %s: resident %d kB at its start, %d kB at its clear scene\n", k, start[k], finish[k]
    }
  }' "$marks"
grep -v '^[0-9]*$' "$game_out" && echo "(unexpected lines above on standard output)"
rm -rf "$work" "$shot_dir"
