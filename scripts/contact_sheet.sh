#!/usr/bin/env bash
# Renders every generated picture onto one PNG for review: each on a checker
# background (so transparency shows), with the grid the game cuts it by in
# thin blue lines and the cells the game draws outlined in green.
#   scripts/contact_sheet.sh [contents-dir] [out.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
contents=${1:-$root/build/contents}
out=${2:-$root/build/contact_sheet.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name columns rows used-cells ("c,r c,r ..."; "all" for every cell)
sheet=(
  "gameBack.png 2 2 1,1"
  "particle.png 2 2 0,0 1,0 0,1"
  "White.png 1 1 all"
  "plate.png 1 1 all"
  "block.png 4 4 0,0 1,0 2,1 3,1 2,2 3,2 2,0 3,0 0,1 1,1"
  "blockEf.png 4 4 1,0 2,0 3,0 0,1 1,1 2,1 3,1 0,2 1,2 2,2 3,2"
  "sweets.png 4 1 all"
  "balloonS.png 1 1 all"
  "pemophiSp.png 4 4 all"
  "pemoSitDown.png 4 1 all"
  "shadow.png 1 1 all"
  "gauge.png 2 1 all"
  "font.png 32 4 all"
  "plateIcon.png 1 1 all"
  "howToPlay.png 4 1 all"
  "poseback.png 1 1 all"
  "botton.png 4 1 0,0 1,0 2,0"
  "settingButtons.png 4 2 0,0 1,0 2,0 3,0 0,1 1,1"
  "loading.png 1 1 all"
  "Logo.png 1 1 all"
  "Logo_pemo.png 1 1 all"
  "PMBack.png 1 1 all"
  "title.png 1 2 all"
  "balloonL.png 1 1 all"
  "pemoglut.png 4 1 all"
)

tiles=()
for entry in "${sheet[@]}"; do
  read -r name cols rows cells <<<"$entry"
  src=$contents/$name
  if [ ! -f "$src" ]; then
    echo "missing: $name" >&2
    continue
  fi
  size=$(identify -format '%w %h' "$src")
  read -r w h <<<"$size"
  cw=$((w / cols))
  ch=$((h / rows))
  draw=()
  for ((c = 1; c < cols; c++)); do draw+=(-draw "line $((c * cw)),0 $((c * cw)),$h"); done
  for ((r = 1; r < rows; r++)); do draw+=(-draw "line 0,$((r * ch)) $w,$((r * ch))"); done
  used=()
  if [ "$cells" = all ]; then
    for ((r = 0; r < rows; r++)); do for ((c = 0; c < cols; c++)); do used+=("$c,$r"); done; done
  else
    read -r -a used <<<"$cells"
  fi
  boxes=()
  for cell in "${used[@]}"; do
    c=${cell%,*}
    r=${cell#*,}
    boxes+=(-draw "rectangle $((c * cw + 1)),$((r * ch + 1)) $(((c + 1) * cw - 2)),$(((r + 1) * ch - 2))")
  done
  tile=$work/${name%.png}.png
  convert -size "${w}x${h}" pattern:checkerboard -fill '#b8b8c8' -colorize 30% "$src" -composite \
    -fill none -stroke '#3060ff' -strokewidth 1 "${draw[@]}" \
    -stroke '#00c040' -strokewidth 3 "${boxes[@]}" \
    -resize '640x400>' "$tile"
  tiles+=(-label "$name ${w}x${h} (${cols}x${rows})" "$tile")
done

mkdir -p "$(dirname "$out")"
montage "${tiles[@]}" -tile 4x -geometry 560x360+8+8 -font DejaVu-Sans -pointsize 16 -background '#fdf6ee' "$out"
echo "$out"
