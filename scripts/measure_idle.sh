#!/usr/bin/env bash
# Measures what the program costs while nobody can see it: a round is opened
# on an X server of its own with a window manager (openbox), the window is
# minimised, and over 10 s the process's own CPU time (/proc counters) and
# each thread's wake-ups (voluntary context switches) are read.
#   scripts/measure_idle.sh [build-dir]      (default: build)
# Sound goes to OpenAL Soft's null device.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cd "$build"
export TIDE_BINARY_DIR=$build
source "$root/tests/e2e/e2e_lib.sh" "$build/tide_marker"

seconds=10
work=$(mktemp -d)
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
own_desktop
trap 'kill "$game_pid" "$wm_pid" "$own_xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT

start_game_split ALSOFT_CONF="$work/alsoft.conf"
wid=$(find_window) || exit 1
locate_client "$wid"
wait_for_scene title 60
leave_title "the round"
wait_for_scene game 60

# Per thread: "id name switches"; and the process's CPU ticks (user + system).
thread_switches() {
  local task
  for task in /proc/"$game_pid"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' _ <"$task/comm")" \
      "$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status")"
  done
}
cpu_ticks() { sed 's/^.*) //' "/proc/$game_pid/stat" | awk '{ print $12 + $13 }'; }

xdotool windowminimize --sync "$wid"
sleep 1
before=$(thread_switches)
cpu0=$(cpu_ticks)
sleep "$seconds"
cpu1=$(cpu_ticks)
after=$(thread_switches)
awk -v a="$cpu0" -v b="$cpu1" -v s="$seconds" -v t="$(getconf CLK_TCK)" \
  'BEGIN { printf "minimised: %.2f %% of one core over %d s\n", (b - a) / t / s * 100, s }'
# Threads of one name (the main thread and OpenAL Soft's mixer share the
# program's) are told apart by id; the main thread's id is the process's.
echo "wake-ups a second, by thread (name, id):"
join <(sort <<<"$before") <(sort <<<"$after") |
  awk -v s="$seconds" -v main="$game_pid" '{
    printf "  %-20s %-8s %7.1f%s\n", $2, $1, ($5 - $3) / s, ($1 == main ? "  (main thread)" : "")
  }' | sort -k3 -nr
if [ -n "${TIDE_IDLE_STRACE:-}" ]; then
  # The main thread's system calls over 2 s, for what wakes it.
  if command -v strace >/dev/null; then
    timeout 2 strace -tt -p "$game_pid" -o "$TIDE_IDLE_STRACE" 2>/dev/null
    echo "main thread's system calls over 2 s in $TIDE_IDLE_STRACE"
  else
    echo "strace is not installed: no trace"
  fi
fi

xdotool windowactivate --sync "$wid" >/dev/null 2>&1
xdotool key F12
expect_clean_exit 20
