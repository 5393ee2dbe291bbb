#!/usr/bin/env bash
# The real program without sound: with no audio device at all (OpenAL Soft
# given only a driver that does not exist) and with OpenAL Soft's null
# device, a whole round plays through to the clear scene and back to the
# title, the program prints nothing, and F12 ends it with exit code 0.
source "$(dirname "$0")/hardening_lib.sh"

round_limit=${TIDE_E2E_ROUND_LIMIT:-240}

audio_case() {
  local name=$1 driver
  case $name in
    no-device) driver=nonexistent ;;
    null-device) driver=null ;;
  esac
  hx_dir="$hx_work/$name"
  hx_make_run_dir "$hx_dir"
  printf '[general]\ndrivers = %s\n' "$driver" >"$hx_dir/alsoft.conf"
  # OpenAL Soft's log on stderr tells which device the program got.
  hx_start_game "$hx_dir" ALSOFT_CONF="$hx_dir/alsoft.conf" ALSOFT_DRIVERS="$driver" ALSOFT_LOGLEVEL=3 ||
    { echo "the window did not appear"; return 1; }
  hx_play_round "$round_limit" || { echo "the round did not end and lead back to the title"; return 1; }
  hx_quit_and_wait f12 20 || return 1
  local other
  other=$(grep -v -x '[0-9]\+' "$hx_dir/stdout.txt")
  [ -z "$other" ] || { echo "unexpected output: $other"; return 1; }
  local opened=0
  grep -q 'alcOpenDevice: Created device' "$hx_dir/stderr.txt" && opened=1
  case $name:$opened in
    no-device:1) echo "an audio device opened after all"; return 1 ;;
    null-device:0) echo "the null device did not open"; return 1 ;;
  esac
}

[ -x "$hx_probe" ] || { echo "missing $hx_probe (build the e2e_probe target)"; exit 1; }
hx_run_cases audio_case no-device null-device
hx_summary
