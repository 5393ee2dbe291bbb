#!/bin/sh
# Writes a Windows icon file holding the given square PNG pictures as they are
# (PNG entries), smallest first:
#   make_ico.sh OUT.ico 16.png 32.png ... 256.png
# Each picture's size is read from its PNG header.
set -eu
out=$1
shift

# Little-endian integers of 2 and 4 bytes, as octal escapes for printf.
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
# A PNG's width: bytes 16 to 19 of the file, big-endian.
png_width() { od -An -tu1 -j16 -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }

mkdir -p "$(dirname "$out")"
tmp=$out.tmp
{
  # Header: reserved, type 1 (icon), number of pictures.
  le16 0; le16 1; le16 $#
  offset=$((6 + 16 * $#))
  for png in "$@"; do
    width=$(png_width "$png")
    [ "$width" -ge 1 ] && [ "$width" -le 256 ] || { echo "make_ico: $png is not 1 to 256 wide" >&2; exit 1; }
    bytes=$(wc -c <"$png")
    # Width and height (0 means 256), colours, reserved, planes, bits per pixel.
    le16 $((width & 255 | (width & 255) << 8)); le16 0; le16 1; le16 32
    le32 "$bytes"; le32 "$offset"
    offset=$((offset + bytes))
  done
  cat "$@"
} >"$tmp"
mv "$tmp" "$out"
