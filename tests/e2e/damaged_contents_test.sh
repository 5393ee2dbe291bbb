#!/usr/bin/env bash
# The real program with damaged contents: pictures and sounds truncated,
# filled with noise, emptied or with bits flipped; sounds of 3 and 6 channels
# and sounds whose headers claim absurd values. Each time the program names
# the pictures it could not load, goes on through the scene chain and back to
# the title, and F12 ends it with exit code 0.
source "$(dirname "$0")/hardening_lib.sh"

# Pictures without which the round cannot be left (the title, the loading
# scene and the round stop setting up at them); the other runs keep them.
gates=(gameBack.png particle.png poseback.png botton.png)
# Pictures that come first in their owner's set-up: with everything damaged
# these messages must show (the later pictures of an owner are not tried).
first_loaded=(Logo.png PMBack.png loading.png gauge.png)
chain_limit=${TIDE_E2E_CHAIN_LIMIT:-90}

is_gate() {
  local g
  for g in "${gates[@]}"; do [ "$g" = "$1" ] && return 0; done
  return 1
}

# Every stdout line is a plate count or names a picture that was damaged.
check_output() {
  local line name
  while IFS= read -r line; do
    [[ $line =~ ^[0-9]+$ ]] && continue
    name=${line#"$(hx_load_failure '')"}
    if [ "$name" = "$line" ] || [ ! -f "$hx_dir/damaged/$name" ]; then
      echo "unexpected output: $line"
      return 1
    fi
  done <"$hx_dir/stdout.txt"
}

damage() {
  local name=$1 kind=$2
  hx_damage "$hx_dir/contents/$name" "$kind" && touch "$hx_dir/damaged/$name"
}

patch_sounds() {
  local field=$1 value=$2 width=$3 f
  for f in "${hx_sounds[@]}"; do
    if [ "$field" = granule ]; then
      hx_patch_page "$hx_dir/contents/$f" "$(hx_last_page "$hx_dir/contents/$f")" "$hx_ogg_granule_at" "$value" "$width"
    else
      hx_patch_page "$hx_dir/contents/$f" 0 "$field" "$value" "$width"
    fi
  done
}

damaged_case() {
  local name=$1 kind=${1#*-} f
  hx_dir="$hx_work/$name"
  hx_make_run_dir "$hx_dir"
  mkdir -p "$hx_dir/damaged"
  case $name in
    pictures-*)
      for f in "${hx_pictures[@]}"; do is_gate "$f" || damage "$f" "$kind"; done
      for f in "${hx_sounds[@]}"; do damage "$f" "$kind"; done ;;
    gates-*) for f in "${gates[@]}"; do damage "$f" "$kind"; done ;;
    sounds-3ch | sounds-6ch)
      hx_make_ogg "$hx_dir/many.ogg" "${kind%ch}" || { echo "oggenc failed"; return 1; }
      for f in "${hx_sounds[@]}"; do cp "$hx_dir/many.ogg" "$hx_dir/contents/$f"; done ;;
    sounds-claims-3ch) patch_sounds "$hx_vorbis_channels_at" 3 1 ;;
    sounds-claims-255ch) patch_sounds "$hx_vorbis_channels_at" 255 1 ;;
    sounds-rate-0) patch_sounds "$hx_vorbis_rate_at" 0 4 ;;
    sounds-rate-huge) patch_sounds "$hx_vorbis_rate_at" $((0xffffffff)) 4 ;;
    sounds-rate-1) patch_sounds "$hx_vorbis_rate_at" 1 4 ;;
    sounds-blocksizes) patch_sounds "$hx_vorbis_blocksizes_at" $((0xff)) 1 ;;
    sounds-granule-huge) patch_sounds granule $((0x4000000000000000)) 8 ;;
    sounds-granule-negative) patch_sounds granule -2 8 ;;
    *) echo "unknown case"; return 1 ;;
  esac
  hx_start_game "$hx_dir" || { echo "the window did not appear"; return 1; }
  hx_reset_bursts
  hx_seen=""
  case $name in
    pictures-flipped)
      # Flipped bits may leave a picture readable: no message is certain, so
      # the drive runs for a fixed time that covers two trips round the chain.
      hx_drive_until 30 false
      [ $? -eq 1 ] || return 1 ;;
    pictures-*)
      hx_drive_until "$chain_limit" hx_bursts_at_least PMBack.png 2 ||
        { echo "the title did not come back after the round"; return 1; } ;;
    gates-*)
      hx_drive_until "$chain_limit" hx_bursts_at_least gameBack.png 2 ||
        { echo "the round did not start"; return 1; }
      hx_drive_until 3 false
      [ $? -eq 1 ] || return 1 ;;
    sounds-*)
      hx_drive_by_screen "$chain_limit" ||
        { echo "the title did not come back after the round"; return 1; } ;;
  esac
  hx_quit_and_wait f12 20 || return 1
  check_output || return 1
  if [ "$name" != pictures-flipped ] && [[ $name == pictures-* ]]; then
    for f in "${first_loaded[@]}"; do
      [ "$(hx_count "$hx_dir" "$f")" -gt 0 ] || { echo "no message names $f"; return 1; }
    done
  fi
  if [[ $name == gates-* ]] && [ "$(hx_count "$hx_dir" poseback.png)" -eq 0 ]; then
    echo "no message names poseback.png"
    return 1
  fi
}

[ -x "$hx_probe" ] || { echo "missing $hx_probe (build the e2e_probe target)"; exit 1; }
cases=(pictures-truncated pictures-noise pictures-empty pictures-flipped gates-truncated gates-noise
  sounds-3ch sounds-6ch sounds-claims-3ch sounds-claims-255ch sounds-rate-0 sounds-rate-huge
  sounds-rate-1 sounds-blocksizes sounds-granule-huge sounds-granule-negative)
# Under the sanitizers (several times slower) one case of each kind of damage.
hx_sanitized && cases=(pictures-truncated pictures-flipped gates-noise sounds-3ch sounds-claims-255ch
  sounds-rate-huge sounds-granule-huge)
[ -z "${TIDE_E2E_ONLY:-}" ] || cases=($TIDE_E2E_ONLY)
hx_run_cases damaged_case "${cases[@]}"
hx_summary
