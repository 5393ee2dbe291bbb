#!/usr/bin/env bash
# Sets up what the web build needs: Emscripten, Chromium and the browser tests'
# Node.js packages, and the C libraries the game links (zlib, libpng, libogg,
# libvorbis, FreeType, SDL2 with its Emscripten backend), each compiled with
# Emscripten from Debian's source package into a cache outside the checkout.
#   scripts/web/deps.sh [--pthread | --tools]
# The last line printed is the libraries' folder (include/, lib/, env.sh).
# --pthread builds them for a build with threads (shared memory); each variant
# has its own folder. --tools installs the tools and the test driver only
# (enough for the browser harness's own tests). A folder is reused while its
# key (source versions, compiler version, the recipe in build_libs.sh, the
# variant) still matches.
set -euo pipefail

source_packages=(zlib libpng1.6 libogg libvorbis freetype libsdl2)
debian_packages=(emscripten chromium dpkg-dev cmake make xz-utils googletest)

main() {
  local root variant=st cache_root key prefix
  root=$(cd "$(dirname "$0")/../.." && pwd)
  case "${1:-}" in
    --pthread) variant=mt ;;
    --tools) variant="" ;;
    "") ;;
    *) echo "usage: $0 [--pthread | --tools]" >&2; exit 2 ;;
  esac
  cache_root=${TIDE_WEB_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/tide_marker/web-deps}

  install_debian_packages
  install_test_driver "$root/tests/web"
  [ -n "$variant" ] || return 0

  # Emscripten's compiler scripts need Debian's JavaScript modules (acorn) even
  # when another Node.js comes first on PATH. Debian's Python runs them: a
  # python3 shim first on PATH (pyenv) costs a few shell scripts per compiler
  # call, and configure checks make hundreds of calls.
  export NODE_PATH=/usr/share/nodejs
  export EMSDK_PYTHON=/usr/bin/python3

  key=$(recipe_key "$variant" "$root/scripts/web/build_libs.sh")
  prefix=$cache_root/$variant-$key
  # One build of a variant at a time: a second checkout waits and then finds
  # the folder complete instead of replacing it under the first one's feet.
  mkdir -p "$cache_root"
  exec 9>"$cache_root/.lock-$variant"
  flock 9
  if [ ! -f "$prefix/complete" ]; then
    "$root/scripts/web/build_libs.sh" "$variant" "$prefix" "${source_packages[@]}"
  fi
  flock -u 9
  echo "$prefix"
}

as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

apt_get() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"
}

# apt-get source needs source entries: the same mirrors and suites as the
# binary entries, written beside them.
has_source_entries() {
  grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/
}

add_source_entries() {
  local deb822=/etc/apt/sources.list.d/debian.sources
  local out=/etc/apt/sources.list.d/tide-web-src
  if [ -f "$deb822" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$deb822" | as_root tee "$out.sources" >/dev/null
  else
    grep -hs '^deb \(http\|\[\)' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      as_root tee "$out.list" >/dev/null
  fi
}

install_debian_packages() {
  local wanted=("${debian_packages[@]}") missing=() p
  # The machine's own Node.js (with npm) is used when there is one.
  command -v npm >/dev/null 2>&1 || wanted+=(nodejs npm)
  for p in "${wanted[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ] && has_source_entries; then return 0; fi
  has_source_entries || add_source_entries
  echo "deps: apt-get update; installing: ${missing[*]:-(none)}" >&2
  apt_get update -qq
  if [ ${#missing[@]} -gt 0 ]; then apt_get install -y --no-install-recommends "${missing[@]}"; fi
}

# The browser tests' driver, pinned by the lock file; it never downloads a browser.
install_test_driver() {
  local dir=$1
  if (cd "$dir" && node -e 'const want = require("./package.json").dependencies["playwright-core"];
      const have = require("./node_modules/playwright-core/package.json").version;
      process.exit(have === want ? 0 : 1)' 2>/dev/null); then
    return 0
  fi
  echo "deps: npm ci in tests/web" >&2
  (cd "$dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund >&2)
}

newest_version() {
  apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -rV | sed -n 1p
}

recipe_key() {
  local variant=$1 recipe=$2 pkg
  {
    for pkg in "${source_packages[@]}"; do echo "$pkg $(newest_version "$pkg")"; done
    emcc --version 2>/dev/null | sed -n 1p
    echo "$variant"
    # The recipe and the steps it shares with the Windows libraries, without
    # their comments: rewording one rebuilds nothing.
    grep -hv '^ *#' "$recipe" "$(dirname "$recipe")/../lib/debian_sources.sh"
  } | sha256sum | cut -c1-16
}

# On one line: bash reads a script as it runs, and an edit made meanwhile must
# not be read after main returns.
main "$@"; exit
