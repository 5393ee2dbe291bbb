#!/usr/bin/env bash
# Measures what the program costs while nobody can see it: a round is opened
# on an X server of its own with a window manager (openbox), the window is
# minimised, and over 10 s the process's own CPU time (/proc counters) and
# each thread's wake-ups (voluntary context switches) are read.
#   scripts/measure_idle.sh [build-dir]                (default: build)
#   scripts/measure_idle.sh --wine [windows-build-dir] (default: build-windows)
# With --wine the Windows game (dist/tide_marker.exe) runs under Wine in a
# prefix of its own in a temporary folder, removed at the end; the CPU time
# of the Wine server counts with the game's, since the game's calls into
# Windows are served there. The screen is read with the probe of the native
# build the Windows build took its contents from.
# Sound goes to OpenAL Soft's null device.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
wine_mode=""
if [ "${1:-}" = --wine ]; then
  wine_mode=1
  shift
fi
if [ -n "$wine_mode" ]; then
  windows_build=$(cd "${1:-$root/build-windows}" && pwd)
  exe=$windows_build/dist/tide_marker.exe
  [ -f "$exe" ] || { echo "no $exe (scripts/windows/build.sh)" >&2; exit 1; }
  build=$(dirname "$(readlink -f "$windows_build/contents")")
  [ -x "$build/tests/e2e_probe" ] || { echo "no $build/tests/e2e_probe (build the native e2e_probe target)" >&2; exit 1; }
  cd "$build" || exit 1
  export TIDE_BINARY_DIR=$build
  source "$root/tests/e2e/e2e_lib.sh" wine
  game_args=("$exe")
  # Wine's Z: drive is this system's root.
  game_path() { printf 'Z:%s' "$1"; }
  export WINEDEBUG=-all
else
  build=$(cd "${1:-$root/build}" && pwd)
  cd "$build" || exit 1
  export TIDE_BINARY_DIR=$build
  source "$root/tests/e2e/e2e_lib.sh" "$build/tide_marker"
fi

seconds=10
work=$(mktemp -d)
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
own_desktop
end_wine() { [ -n "$wine_mode" ] && wineserver -k 2>/dev/null; }
trap 'kill "$game_pid" 2>/dev/null; end_wine; rm -rf "$work"; e2e_cleanup' EXIT

if [ -n "$wine_mode" ]; then
  export WINEPREFIX=$work/prefix
  # Wine's server folder goes with the work folder.
  export TMPDIR=$work
  echo "making a Wine prefix"
  wineboot -i >/dev/null 2>&1
  # The server of the first start ends with its services before the game starts.
  wineserver -w
  # The "how to play" cards count as seen, so a press on the title starts the round.
  settings_dir=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tide_marker
  mkdir -p "$settings_dir"
  printf 'how_to_play_seen = on\n' >"$settings_dir/settings.ini"
fi

start_game_split ALSOFT_CONF="$(game_path "$work/alsoft.conf")"
wid=$(find_window) || exit 1
locate_client "$wid"
wait_for_scene title 60
leave_title "the round"
wait_for_scene game 60

# The processes measured, as "pid role name": the game; under Wine also the Wine
# server and, apart, the prefix's other processes (services, explorer, ...),
# which Wine runs whatever the program.
measured_pids() {
  echo "$game_pid game $(tr ' ' _ <"/proc/$game_pid/comm")"
  [ -n "$wine_mode" ] || return 0
  local dir pid comm
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" = "$game_pid" ] && continue
    grep -qxF "WINEPREFIX=$WINEPREFIX" <<<"$({ tr '\0' '\n' <"$dir/environ"; } 2>/dev/null)" || continue
    comm=$({ cat "$dir/comm"; } 2>/dev/null) || continue
    # (Debian's is wineserver64.)
    if [[ $comm == wineserver* ]]; then echo "$pid wineserver $comm"; else echo "$pid other ${comm// /_}"; fi
  done
}
# Per thread: "pid:id name switches ticks" (CPU ticks: user + system).
thread_switches() {
  local pid task
  for pid in "$@"; do
    for task in /proc/"$pid"/task/*; do
      printf '%s:%s %s %s %s\n' "$pid" "${task##*/}" "$(tr ' ' _ <"$task/comm")" \
        "$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status" 2>/dev/null)" \
        "$({ sed 's/^.*) //' "$task/stat"; } 2>/dev/null | awk '{ print $12 + $13 }')"
    done
  done
}
# Per process: "pid ticks" (user + system CPU ticks).
cpu_ticks() {
  local pid
  for pid in "$@"; do
    echo "$pid $(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }')"
  done
}

xdotool windowminimize --sync "$wid"
sleep 1
procs=$(measured_pids)
pids=$(awk '{ print $1 }' <<<"$procs")
# Threads are listed for the game and the Wine server.
listed=$(awk '$2 != "other" { print $1 }' <<<"$procs")
# shellcheck disable=SC2086
{
  before=$(thread_switches $listed)
  cpu0=$(cpu_ticks $pids)
  sleep "$seconds"
  cpu1=$(cpu_ticks $pids)
  after=$(thread_switches $listed)
}
# Percent of one core by role: game, wineserver, other.
join <(sort <<<"$procs") <(join <(sort <<<"$cpu0") <(sort <<<"$cpu1")) |
  awk -v s="$seconds" -v t="$(getconf CLK_TCK)" -v wine="$wine_mode" '
    { p = ($5 - $4) / t / s * 100; use[$2] += p
      if ($2 == "other") others = others sprintf("  %-20s %-8s %5.2f %%\n", $3, $1, p) }
    END {
      if (!wine) { printf "minimised: %.2f %% of one core over %d s\n", use["game"], s; exit }
      printf "minimised: %.2f %% of one core over %d s (game %.2f %%, wineserver %.2f %%)\n",
        use["game"] + use["wineserver"], s, use["game"], use["wineserver"]
      printf "the prefix'\''s other Wine processes, %.2f %% in all:\n%s", use["other"], others
    }'
# Threads of one name (the main thread and OpenAL Soft's mixer share the
# program's) are told apart by id; the main thread's id is the process's.
echo "wake-ups a second and % of one core, by thread (name, process:thread id):"
join <(sort <<<"$before") <(sort <<<"$after") |
  awk -v s="$seconds" -v t="$(getconf CLK_TCK)" -v main="$game_pid:$game_pid" '{
    printf "  %-20s %-16s %7.1f %5.2f %%%s\n", $2, $1, ($6 - $3) / s, ($7 - $4) / t / s * 100,
      ($1 == main ? "  (main thread)" : "")
  }' | sort -k3 -nr
if [ -n "${TIDE_IDLE_STRACE:-}" ]; then
  # The main thread's system calls over 2 s, for what wakes it; under Wine
  # every thread's, and the Wine server's in FILE.wineserver.
  if ! command -v strace >/dev/null; then
    echo "strace is not installed: no trace"
  elif [ -n "$wine_mode" ]; then
    server=$(awk '$2 == "wineserver" { print $1; exit }' <<<"$procs")
    timeout 2 strace -tt -p "$server" -o "$TIDE_IDLE_STRACE.wineserver" 2>/dev/null &
    server_trace=$!
    timeout 2 strace -f -tt -p "$game_pid" -o "$TIDE_IDLE_STRACE" 2>/dev/null
    wait "$server_trace"
    echo "the game's system calls over 2 s in $TIDE_IDLE_STRACE, the Wine server's in $TIDE_IDLE_STRACE.wineserver"
  else
    timeout 2 strace -tt -p "$game_pid" -o "$TIDE_IDLE_STRACE" 2>/dev/null
    echo "main thread's system calls over 2 s in $TIDE_IDLE_STRACE"
  fi
fi

xdotool windowactivate --sync "$wid" >/dev/null 2>&1
if [ -n "$wine_mode" ]; then
  xdotool key --window "$wid" F12
else
  xdotool key F12
fi
expect_clean_exit 30
