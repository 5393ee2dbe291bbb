#!/usr/bin/env bash
# The sound device going away mid-round, through a real sound server of the
# test's own (PulseAudio with a null sink, a private runtime folder, no
# autospawn; its sink's monitor recorded with parec):
#   restart  the server is killed and a new one started,
#   sink     the sink is unloaded and another one loaded,
#   gone     the server is killed and never comes back,
#   steady   no fault, and no loss may be told of.
# Each time the round's music must be heard again within 3 s of the new
# server or sink being there, the game must tick on (a steady rate of at
# least 45 of its 60 ticks a second), one line
# on standard error must tell of the loss and one of the return, nothing but
# plate counts may reach standard output, and F12 must end it with code 0.
source "$(dirname "$0")/hardening_lib.sh"

command -v pulseaudio >/dev/null && command -v parec >/dev/null ||
  { echo "pulseaudio and parec are needed (scripts/install_deps.sh test)"; exit 1; }
# Sequential: the tick rates of runs side by side would tell of each other.
hx_jobs=1

# Starts a sound server for folder $hx_dir with one null sink called $1.
pa_start() {
  export PULSE_RUNTIME_PATH="$hx_dir/pulse" PULSE_STATE_PATH="$hx_dir/pulse-state"
  mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"
  chmod 700 "$PULSE_RUNTIME_PATH"
  printf 'load-module module-native-protocol-unix\nload-module module-null-sink sink_name=%s\nset-default-sink %s\n' \
    "$1" "$1" >"$hx_dir/default.pa"
  pulseaudio -n -F "$hx_dir/default.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes >>"$hx_dir/pulse.log" 2>&1 &
  pa_pid=$!
  pa_pids+=("$pa_pid")
  local waited=0
  until pactl info >/dev/null 2>&1; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 100 ] || { echo "the sound server did not start"; return 1; }
  done
}

# Records sink $1's monitor into $2 (a WAV file) from now on.
pa_record() {
  parec -d "$1.monitor" --file-format=wav "$2" 2>>"$hx_dir/parec.log" &
  rec_pid=$!
}

pa_stop_record() { kill -INT "$rec_pid" 2>/dev/null; wait "$rec_pid" 2>/dev/null; rec_pid=""; }

# Ends the case's servers and recorder, whether it passed or not.
pa_end_all() {
  local pid
  for pid in "${pa_pids[@]}" ${rec_pid:+"$rec_pid"}; do
    signal_job KILL "$pid"
    wait "$pid" 2>/dev/null
  done
}

# Waits up to $2 seconds for line pattern $1 on the game's standard error.
wait_stderr() {
  local waited=0
  until grep -q "$1" "$hx_dir/stderr.txt"; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt $(($2 * 10)) ] || return 1
  done
}

# Waits up to $1 seconds for scene $2 on the screen.
wait_scene() {
  local limit=$1 want=$2 start=$SECONDS
  until [ "$(hx_scene)" = "$want" ]; do
    [ $((SECONDS - start)) -lt "$limit" ] || return 1
    sleep 0.2
  done
}

# One drag through the blocks the probe plans on the plate showing now.
drag_planned() {
  local cells
  hx_scene >/dev/null
  cells=$(E2E_CONTENTS=$hx_contents "$hx_probe" plan "$hx_dir/shot.rgb" 12 2>/dev/null)
  [ -n "$cells" ] && hx_drag $cells
}

# Fails unless the probe's measure $1 of $2 between $3 and $4 s is above $5.
expect_above() {
  local value
  value=$("$hx_probe" "$1" "$2" "$3" "$4") || { echo "no $1 measure of $2"; return 1; }
  echo "$(basename "$2") $1 $3..$4 s: $value" >>"$hx_dir/measures.txt"
  awk -v v="$value" -v b="$5" 'BEGIN { exit !(v > b) }' || { echo "$(basename "$2") $1 $3..$4 s: $value, not above $5"; return 1; }
}

# The steady tick rate TIDE_STATS reported for case $1.
steady_ticks() { sed -n 's/^TIDE_STATS ticks .*steady_fps=\([0-9.]*\).*/\1/p' "$hx_work/$1/stderr.txt"; }

# One case; its servers end with it.
device_case() {
  pa_pids=() rec_pid=""
  device_steps "$1"
  local result=$?
  pa_end_all
  return "$result"
}

device_steps() {
  local name=$1
  hx_dir="$hx_work/$name"
  hx_make_run_dir "$hx_dir"
  pa_start game_out || return 1
  hx_start_game "$hx_dir" ALSOFT_DRIVERS=pulse TIDE_STATS=1 || { echo "the window did not appear"; return 1; }
  wait_scene 40 title || { echo "no title"; return 1; }
  # A press held past the ticks in which the title ignores touches.
  local attempt
  for attempt in 1 2 3; do
    hx_xdo mousemove --window "$hx_wid" 500 300 mousedown 1
    sleep 0.7
    hx_xdo mouseup 1
    wait_scene 20 game && break
  done
  [ "$(hx_scene)" = game ] || { echo "the round did not start"; return 1; }
  sleep 3
  drag_planned
  sleep 1
  # The drags make effects; whether they sound on the new device is the
  # engine test's to hear (the music covers them here).
  case $name in
    restart | gone)
      kill -KILL "$pa_pid"
      wait "$pa_pid" 2>/dev/null ;;
    sink)
      pactl unload-module module-null-sink ;;
  esac
  if [ "$name" != steady ]; then
    wait_stderr 'audio device: .* is gone' 5 || { echo "the loss was not noticed"; return 1; }
    # Played during the outage: dropped, never heard later.
    drag_planned
    sleep 2
  fi
  case $name in
    restart) pa_start game_out2 || return 1 ;;
    sink) pactl load-module module-null-sink sink_name=game_out2 >/dev/null &&
            pactl set-default-sink game_out2 || { echo "no second sink"; return 1; } ;;
  esac
  local sink=game_out2
  [ "$name" = steady ] && sink=game_out
  if [ "$name" != gone ]; then
    pa_record "$sink" "$hx_dir/after.wav"
    [ "$name" = steady ] || wait_stderr 'audio device: .* is back$' 5 || { echo "the device did not come back"; return 1; }
    sleep 3
    drag_planned
    sleep 2
    pa_stop_record
  else
    # Plays on silently: a plate, the pause menu, quit to the title.
    sleep 2
    drag_planned
    sleep 1
    hx_click 55 40
    sleep 1.5
    hx_click 210 496
    wait_scene 20 title || { echo "no way back to the title without sound"; return 1; }
  fi
  hx_quit_and_wait f12 20 || return 1

  local other
  other=$(grep -v -x '[0-9]\+' "$hx_dir/stdout.txt")
  [ -z "$other" ] || { echo "unexpected output: $other"; return 1; }
  local lost back
  lost=$(grep -c 'audio device: .* is gone' "$hx_dir/stderr.txt")
  back=$(grep -c 'audio device: .* is back$' "$hx_dir/stderr.txt")
  case $name in
    steady) [ "$lost$back" = 00 ] || { echo "a loss reported without a fault"; return 1; } ;;
    gone) [ "$lost$back" = 10 ] || { echo "losses $lost, returns $back (expected 1, 0)"; return 1; } ;;
    *) [ "$lost$back" = 11 ] || { echo "losses $lost, returns $back (expected 1, 1)"; return 1; } ;;
  esac
  [ "$name" = gone ] && return 0
  # The round's music within 3 s of the new server or sink (the recording
  # started when it was there), and the effects of the drag on top of it.
  echo "music heard $("$hx_probe" onset "$hx_dir/after.wav") s after the device was there" >>"$hx_dir/measures.txt"
  expect_above playing "$hx_dir/after.wav" 3.0 5.0 "$playing_bound"
}

# The music must play on whole; under a sanitizer on a loaded machine the
# slowed game and the sound server fall behind for moments (0.75 of the
# window seen at a load average of 14), so there it must only play.
playing_bound=0.99
hx_sanitized && playing_bound=0.5

[ -x "$hx_probe" ] || { echo "missing $hx_probe (build the e2e_probe target)"; exit 1; }
# Under a sanitizer the runs are slow and a tick rate comparison means
# nothing: the two recoveries only.
cases=(steady restart sink gone)
hx_sanitized && cases=(restart sink)
hx_run_cases device_case "${cases[@]}"
# Every sound server and recorder of the cases has ended with its case.
left=$(pgrep -af -- "$hx_work/")
[ -z "$left" ] || { echo "FAIL still running after the cases: $left"; hx_failures=$((hx_failures + 1)); }
for name in "${cases[@]}"; do
  [ -f "$hx_work/$name/measures.txt" ] && sed "s/^/  $name: /" "$hx_work/$name/measures.txt"
  echo "  $name: ticks steady $(steady_ticks "$name")/s"
done
# A bound no load of a shared machine reaches (54/s seen at a load average
# of 12) but a tick that waited on the sound device would: rates of separate
# runs differ by more than a fault-free percent on a busy machine. Under a
# sanitizer the runs are too slow for any bound.
if ! hx_sanitized && [ "$hx_failures" -eq 0 ]; then
  for name in restart sink gone; do
    rate=$(steady_ticks "$name")
    awk -v r="$rate" 'BEGIN { exit !(r >= 45) }' ||
      { echo "FAIL $name: ticks steady $rate/s, below 45/s"; hx_failures=$((hx_failures + 1)); }
  done
fi
hx_summary
