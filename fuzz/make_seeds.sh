#!/usr/bin/env bash
# Fills the seed folders of the fuzz targets: the PNG conformance suite and the
# Vorbis test streams from the test data (tests/data), plus the pictures and sounds
# a build generated into its contents folder when one is there, and the
# settings files, command lines and replays kept in fuzz/seeds.
#   fuzz/make_seeds.sh <seed-dir> [contents-dir...]
# Inputs larger than 64 KiB are left out: they slow every run without adding
# structure the small ones lack.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?seed folder}
shift
testdata=${TIDE_TESTDATA:-$root/tests/data}
max_bytes=65536

mkdir -p "$out/png" "$out/ogg"
copy_small() {  # <dest> <files...>
  local dest=$1 file
  shift
  for file in "$@"; do
    [ -f "$file" ] || continue
    [ "$(stat -c %s "$file")" -le "$max_bytes" ] || continue
    # A folder prefix keeps same-named files from different places apart.
    cp -f "$file" "$dest/$(basename "$(dirname "$file")")_$(basename "$file")"
  done
}

shopt -s nullglob
copy_small "$out/png" "$testdata"/pngsuite/*.png
copy_small "$out/ogg" "$testdata"/vorbis/*/*.ogg
for contents in "$@"; do
  copy_small "$out/png" "$contents"/*.png
  copy_small "$out/ogg" "$contents"/*.ogg
done
for kind in settings command_line replay; do
  mkdir -p "$out/$kind"
  cp -f "$root/fuzz/seeds/$kind"/* "$out/$kind/"
done
echo "seeds: $(ls "$out/png" | wc -l) png, $(ls "$out/ogg" | wc -l) ogg, $(ls "$out/settings" | wc -l) settings," \
  "$(ls "$out/command_line" | wc -l) command lines, $(ls "$out/replay" | wc -l) replays in $out"
