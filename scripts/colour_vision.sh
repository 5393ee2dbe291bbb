#!/usr/bin/env bash
# Shows pictures as players with colour-vision deficiencies see them: each
# PNG given is run through the protanopia, deuteranopia and tritanopia
# simulation matrices of Machado, Oliveira and Fernandes (2009, severity 1),
# and written beside the original in a strip (original | protan | deutan |
# tritan) into OUTDIR. Look at the strips: any two ingredient types or sweet
# kinds that look alike there must differ in shape or pattern.
#   scripts/colour_vision.sh OUTDIR picture.png ...
# The matrices are applied to the sRGB values directly, the usual shortcut;
# it is close enough to tell colours apart or not.
set -euo pipefail
out=${1:?usage: $0 OUTDIR PICTURE.png ...}
shift
mkdir -p "$out"
declare -A matrix=(
  [protanopia]="0.152286 1.052583 -0.204868 0.114503 0.786281 0.099216 -0.003882 -0.048116 1.051998"
  [deuteranopia]="0.367322 0.860646 -0.227968 0.280085 0.672501 0.047413 -0.011820 0.042940 0.968881"
  [tritanopia]="1.255528 -0.076749 -0.178779 -0.078411 0.930809 0.147602 0.004733 0.691367 0.303900"
)
for picture in "$@"; do
  name=$(basename "$picture" .png)
  parts=("$picture")
  for kind in protanopia deuteranopia tritanopia; do
    # shellcheck disable=SC2086
    convert "$picture" -color-matrix "$(tr ' ' '\n' <<<"${matrix[$kind]}" | paste -sd' ')" \
      "$out/${name}_$kind.png"
    parts+=("$out/${name}_$kind.png")
  done
  convert "${parts[@]}" -background white +append "$out/${name}_strip.png"
  echo "$out/${name}_strip.png"
done
