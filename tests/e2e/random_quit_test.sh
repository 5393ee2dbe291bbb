#!/usr/bin/env bash
# The real program ended at random moments, 100 times over (fewer with
# TIDE_RANDOM_QUIT_RUNS, for the slow sanitizer builds): F12 or the window's
# close request, at start-up, in the logo, in the title, during the scene
# switches and in the round while it is being played and paused. Every run
# must end within 20 s with exit code 0. Sanitizer builds do 15 runs.
source "$(dirname "$0")/hardening_lib.sh"
# The quits fall in the logos too.
hx_skip_logos=

runs=100
hx_sanitized && runs=15
runs=${TIDE_RANDOM_QUIT_RUNS:-$runs}
# The drive reaches the round about 12 s after start; quitting up to 22 s
# in covers every scene of the chain and its switches.
latest_ms=${TIDE_RANDOM_QUIT_LATEST_MS:-22000}
seed=${TIDE_RANDOM_QUIT_SEED:-$(date +%s)}
echo "seed $seed (TIDE_RANDOM_QUIT_SEED to repeat)"
RANDOM=$seed
plan=()
for ((i = 0; i < runs; i++)); do
  how=f12
  [ $((RANDOM % 2)) -eq 0 ] && how=close
  # Half the runs quit in the first 3 s, where start-up and the first scene
  # switch lie; the rest anywhere up to the latest moment.
  if [ $((RANDOM % 2)) -eq 0 ]; then
    at=$(((RANDOM * 32768 + RANDOM) % 3000))
  else
    at=$(((RANDOM * 32768 + RANDOM) % latest_ms))
  fi
  plan+=("$i-$how-$at")
done

quit_case() {
  local how at
  IFS=- read -r _ how at <<<"$1"
  hx_dir="$hx_work/$1"
  mkdir -p "$hx_dir"
  # The game reads its contents from the build folder (nothing is damaged).
  ln -s "$hx_contents" "$hx_dir/contents"
  hx_start_game "$hx_dir" || { echo "the window did not appear"; return 1; }
  local until_ms=$(($(date +%s%N) / 1000000 + at))
  # Clicks walk the chain as in the other runs until the moment comes.
  hx_drive_until $(((at + 999) / 1000)) hx_time_reached "$until_ms"
  [ $? -ne 2 ] || return 1
  hx_quit_and_wait "$how" 20 || { echo "quit by $how at $at ms"; return 1; }
  [ -z "$(hx_unexpected_output "$hx_dir")" ] || { echo "unexpected output"; return 1; }
  rm -rf "$hx_dir"
}

hx_time_reached() { [ $(($(date +%s%N) / 1000000)) -ge "$1" ]; }

[ -x "$hx_close_tool" ] || { echo "missing $hx_close_tool (build the x_close_window target)"; exit 1; }
hx_print_ok=0
hx_run_cases quit_case "${plan[@]}"
hx_summary
