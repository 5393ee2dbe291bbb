#!/usr/bin/env bash
# Unpacks the Debian sources of libpng, libogg and libvorbis into a folder so
# the fuzz build can compile them with coverage instrumentation: without it the
# fuzzer sees only our own few branches and mutates blind.
#   fuzz/fetch_sources.sh <folder>
# Exits 1 when the sources cannot be had; the fuzz build then falls back to the
# system libraries (still fuzzed, with far weaker guidance).
set -euo pipefail
dest=${1:?source folder}
mkdir -p "$dest"
cd "$dest"

have() { compgen -G "$1-[0-9]*/" >/dev/null; }
if have libpng1.6 && have libogg && have libvorbis; then exit 0; fi

# apt-get source needs source entries; add Debian's own beside the binary ones.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  suites=$(. /etc/os-release && echo "$VERSION_CODENAME")
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo tee /etc/apt/sources.list.d/tide-fuzz-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suites $suites-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $suites-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $sudo apt-get update -qq || true
fi

for pkg in libpng1.6 libogg libvorbis; do
  have "$pkg" && continue
  # The newest version first; a mirror that lacks its files gets the next one.
  ok=0
  for version in "" $(apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -rV); do
    want=$pkg${version:+=$version}
    if apt-get source -qq "$want" >/dev/null 2>&1; then ok=1; break; fi
  done
  if [ $ok != 1 ]; then
    echo "fetch_sources: no source for $pkg" >&2
    exit 1
  fi
done
rm -f ./*.dsc ./*.tar.* 2>/dev/null || true
echo "fetch_sources: $(ls -d */ | tr '\n' ' ')"
