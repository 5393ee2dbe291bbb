#!/usr/bin/env bash
# The real program with each picture missing in turn: the loader's message
# names the picture, the program goes on through the scene chain (logo,
# title, loading, the round, its pause menu, back to the title), and F12
# still ends it with exit code 0.
source "$(dirname "$0")/hardening_lib.sh"

# How far the chain can go without the picture, told by the scenes that load
# it: "visits N" drives until its message has come from N separate scene
# visits, the last of them after the round was left for the title; "stuck N"
# is a picture the round cannot be left without (no pause button), so the
# drive stops in the round after N visits and plays on there a little;
# "probe" is a picture no later scene loads, so the screen shows the round
# and then the title again; "round" is a picture of the clear scene, so a
# whole round is played to reach it.
declare -A plan=(
  [Logo.png]="probe" [Logo_pemo.png]="probe" [White.png]="probe"
  [gameBack.png]="stuck 2" [particle.png]="stuck 1" [poseback.png]="stuck 2" [botton.png]="stuck 1"
  [PMBack.png]="visits 2" [title.png]="visits 2"
  [pemophiSp.png]="visits 3" [shadow.png]="visits 3" [font.png]="visits 3"
  [plate.png]="visits 2" [blockEf.png]="visits 2" [sweets.png]="visits 2" [balloonS.png]="visits 2"
  [pemoSitDown.png]="visits 2" [gauge.png]="visits 2" [plateIcon.png]="visits 2" [cursor.png]="visits 2"
  [howToPlay.png]="visits 2"
  [block.png]="visits 3" [loading.png]="visits 3" [settingButtons.png]="visits 3"
  [balloonL.png]="round" [pemoglut.png]="round"
)
chain_limit=${TIDE_E2E_CHAIN_LIMIT:-90}
round_limit=${TIDE_E2E_ROUND_LIMIT:-240}

missing_case() {
  local name=$1
  hx_dir="$hx_work/$name"
  hx_make_run_dir "$hx_dir"
  rm "$hx_dir/contents/$name"
  hx_start_game "$hx_dir" || { echo "the window did not appear"; return 1; }
  local mode want
  read -r mode want <<<"${plan[$name]}"
  hx_reset_bursts
  hx_seen=""
  case $mode in
    probe) hx_drive_by_screen "$chain_limit" ||
             { echo "the title did not come back after the round"; return 1; } ;;
    round) hx_play_round "$round_limit" ||
             { echo "the round did not end and lead back to the title"; return 1; } ;;
    visits | stuck)
      hx_drive_until "$chain_limit" hx_bursts_at_least "$name" "$want" ||
        { echo "its message came from $hx_bursts scene visits, expected $want"; return 1; }
      if [ "$mode" = stuck ]; then
        hx_drive_until 3 false
        [ $? -eq 1 ] || return 1
      fi ;;
  esac
  hx_quit_and_wait f12 20 || return 1
  [ "$(hx_count "$hx_dir" "$name")" -gt 0 ] || { echo "no message names $name"; return 1; }
  local other
  other=$(grep -v -xF "$(hx_load_failure "$name")" "$hx_dir/stdout.txt" | grep -v -x '[0-9]\+')
  [ -z "$other" ] || { echo "unexpected output: $other"; return 1; }
}

[ -x "$hx_probe" ] || { echo "missing $hx_probe (build the e2e_probe target)"; exit 1; }
cases=("${!plan[@]}")
# Under the sanitizers every run is several times slower; there one picture of
# each way the chain goes on stands for the others (the load-failure path is
# the same code for every picture; the normal build runs them all).
hx_sanitized && cases=(White.png gameBack.png font.png block.png balloonL.png)
[ -z "${TIDE_E2E_ONLY:-}" ] || cases=($TIDE_E2E_ONLY)
hx_run_cases missing_case "${cases[@]}"
hx_summary
