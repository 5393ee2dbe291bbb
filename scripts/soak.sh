#!/usr/bin/env bash
# Soak run: plays the game for a long while (20 minutes by default) with a
# scripted player, samples the game's memory (resident set, from /proc) every
# few seconds, and judges whether it stays flat from round to round. Fails on
# a crash, a hang, a sanitizer report or memory that keeps growing.
#   scripts/soak.sh [build-dir] [minutes]
# The build folder needs the tide_marker, e2e_probe and x_close_window targets
# and its contents; a sanitizer build works too (its reports end the soak).
# Results: soak.csv (seconds, resident KiB, scene) and the game's output in
# the soak folder printed at the end (TIDE_SOAK_DIR to choose it).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/plate_drag.sh"
source "$root/tests/e2e/game_window.sh"
build=$(cd "${1:-$root/build}" && pwd)
minutes=${2:-20}
sample_every=${TIDE_SOAK_SAMPLE_SECONDS:-5}
# Growth of the resident set between the early and the late rounds that is
# still noise (KiB): allocator caches, the driver's shader cache, fonts.
tolerance_kb=${TIDE_SOAK_TOLERANCE_KB:-4096}
dir=${TIDE_SOAK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/tide_soak.XXXXXX")}
mkdir -p "$dir"
probe="$build/tests/e2e_probe"
game="$build/tide_marker"
for f in "$probe" "$game"; do
  [ -x "$f" ] || { echo "missing $f: build it first" >&2; exit 1; }
done
export TSAN_OPTIONS=${TSAN_OPTIONS:-"suppressions=$root/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1"}
export ASAN_OPTIONS=${ASAN_OPTIONS:-"detect_leaks=1"}
export LSAN_OPTIONS=${LSAN_OPTIONS:-"suppressions=$root/scripts/lsan.supp"}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-"print_stacktrace=1 halt_on_error=1"}

# An X display of our own.
exec 3>"$dir/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
while [ ! -s "$dir/display" ]; do sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$dir/display")"
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT

(cd "$build" && exec "$game" >"$dir/stdout.txt" 2>"$dir/stderr.txt") &
game_pid=$!
wid=$(game_window "$game_pid" 30 --pid "$game_pid") || { echo "the window did not appear" >&2; exit 1; }

xdo() { xdotool "$@" >/dev/null 2>&1; }
click() {
  xdo mousemove --window "$wid" "$1" "$2" mousedown 1
  sleep 0.07
  xdo mouseup 1
}
scene() {
  import -window "$wid" -depth 8 "rgb:$dir/shot.rgb" 2>/dev/null || { echo none; return; }
  E2E_CONTENTS="$build/contents" "$probe" scene "$dir/shot.rgb" 2>/dev/null || echo none
}
# One drag through the planned cells.
drag() { plate_drag xdo "$wid" "$@"; }

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null; }

echo "seconds,rss_kb,scene" >"$dir/soak.csv"
start=$SECONDS
next_sample=0
rounds=0
last_scene=""
actions=0
round_rss=()
while [ $((SECONDS - start)) -lt $((minutes * 60)) ]; do
  kill -0 "$game_pid" 2>/dev/null || break
  now=$((SECONDS - start))
  s=$(scene)
  if [ "$now" -ge "$next_sample" ]; then
    echo "$now,$(rss_kb),$s" >>"$dir/soak.csv"
    next_sample=$((now + sample_every))
  fi
  # A round ends at the title: the memory there is the round-to-round figure.
  if [ "$s" = title ] && [ "$last_scene" != title ] && [ -n "$last_scene" ]; then
    rounds=$((rounds + 1))
    round_rss+=("$(rss_kb)")
    echo "round $rounds ends at $now s: $(rss_kb) KiB"
  fi
  [ "$s" = none ] || [ "$s" = black ] || [ "$s" = other ] || last_scene=$s
  actions=$((actions + 1))
  case $s in
    title | clear) click 500 300 ;;
    pause) click 210 496 ;;
    game)
      # Now and then leave the round through the pause menu; otherwise play.
      if [ $((actions % 150)) -eq 0 ]; then
        click 55 40
        sleep 0.6
        click 210 496
      else
        cells=$(E2E_CONTENTS="$build/contents" "$probe" plan "$dir/shot.rgb" 12 2>/dev/null)
        if [ -n "$cells" ]; then drag $cells; else sleep 0.2; fi
      fi ;;
    *) sleep 0.3 ;;
  esac
done

status=0
if ! kill -0 "$game_pid" 2>/dev/null; then
  echo "FAIL: the game ended during the soak"
  status=1
else
  xdo key --window "$wid" F12
  for _ in $(seq 1 300); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game_pid" 2>/dev/null; then
    echo "FAIL: the game did not end within 30 s of F12"
    kill -KILL "$game_pid"
    status=1
  fi
fi
code=0
wait "$game_pid" || code=$?
game_pid=""
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code"; status=1; }
if grep -q 'Sanitizer\|runtime error' "$dir/stderr.txt"; then
  echo "FAIL: sanitizer report in $dir/stderr.txt"
  status=1
fi

echo "samples: $(($(wc -l <"$dir/soak.csv") - 1)), rounds: $rounds, plates: $(grep -cx '[0-9]\+' "$dir/stdout.txt")"
awk -F, 'NR > 1 && $2 != "" { if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2 }
  END { printf "resident set over the soak: %d..%d KiB\n", min, max }' "$dir/soak.csv"
# Flat: the highest round-end figure of the later half of the rounds is no
# more than the tolerance above the highest of the earlier half (the first
# round, which warms the caches, left out).
if [ "${#round_rss[@]}" -ge 5 ]; then
  echo "round ends (KiB): ${round_rss[*]}"
  n=${#round_rss[@]}
  half=$(((n + 1) / 2))
  early=0
  late=0
  for ((i = 1; i < half; i++)); do [ "${round_rss[i]}" -gt "$early" ] && early=${round_rss[i]}; done
  for ((i = half; i < n; i++)); do [ "${round_rss[i]}" -gt "$late" ] && late=${round_rss[i]}; done
  echo "highest round end, rounds 2..$half: $early KiB; rounds $((half + 1))..$n: $late KiB; growth $((late - early)) KiB (tolerance $tolerance_kb)"
  if [ $((late - early)) -gt "$tolerance_kb" ]; then
    echo "FAIL: memory grows from round to round"
    status=1
  else
    echo "memory flat from round to round"
  fi
else
  echo "FAIL: only ${#round_rss[@]} rounds ended, too few to judge"
  status=1
fi
echo "soak folder: $dir"
exit $status
