#!/usr/bin/env bash
# The web stage of the test suite: the README's web command alone in a
# fresh clone of the committed HEAD, as a new user runs it (it builds the web
# version with its Node.js tests, scripts/web/build.sh), then those tests,
# then the browser tests in Chromium (tests/web/) on that clone's page. The
# browser tests read the screen with the native build's e2e probe against
# its contents, so the native build in build/ is configured with its tests
# and builds both.
#   scripts/web/test.sh                  build and test in a temporary clone
#   scripts/web/test.sh --build DIR      only build, the clone in DIR
#   scripts/web/test.sh --test DIR       only test what --build DIR built
# (the test command builds while other stages run, and tests later).
set -euo pipefail

main() {
  local root native phase=both dir=""
  root=$(cd "$(dirname "$0")/../.." && pwd)
  native=${TIDE_NATIVE_BUILD:-$root/build}
  case ${1:-} in
    --build | --test) phase=${1#--}; dir=${2:?usage: $0 [--build|--test DIR]} ;;
    "") ;;
    *) echo "usage: $0 [--build|--test DIR]" >&2; exit 2 ;;
  esac
  if [ -z "$dir" ]; then
    # Global: the trap runs after main has returned.
    clone=$(mktemp -d "${TMPDIR:-/tmp}/tide_web_clone.XXXXXX")
    trap 'rm -rf "$clone"' EXIT
    dir=$clone
  fi
  [ "$phase" = test ] || build "$root" "$native" "$dir"
  [ "$phase" = build ] || run_tests "$root" "$native" "$dir/tide_marker/build-web"
}

build() {
  local root=$1 native=$2 dir=$3 started
  started=$(date +%s)
  "$root/scripts/install_deps.sh" test
  # The browser and the test driver for this checkout's tests/web (the
  # clone's build installs its own).
  "$root/scripts/web/deps.sh" --tools >/dev/null
  if ! grep -qs '^BUILD_TESTING:BOOL=ON' "$native/CMakeCache.txt"; then
    cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
  fi
  nice -n 10 cmake --build "$native" --target e2e_probe contents -j2 >/dev/null
  fresh_clone_build "$root" "$dir"
  echo "web: built in $(($(date +%s) - started)) s" >&2
}

run_tests() {
  local root=$1 native=$2 web=$3 started
  started=$(date +%s)
  echo "== web build's tests under Node.js"
  (cd "$web" && ctest --output-on-failure --timeout 300 -j2)
  echo "== browser tests (Chromium)"
  TIDE_WEB_DIST="$web/dist" TIDE_PROBE="$native/tests/e2e_probe" E2E_CONTENTS="$native/contents" \
    node --test --test-concurrency=1 "$root/tests/web/"
  echo "web: tests took $(($(date +%s) - started)) s" >&2
}

# The README's web command alone in a fresh clone ($2/tide_marker) of this
# commit, as a new user runs it: no build folder before it, no
# TIDE_NATIVE_BUILD. Its page is the one the browser tests then play.
fresh_clone_build() {
  echo "== scripts/web/build.sh in a fresh clone"
  if [ -n "$(git -C "$1" status --porcelain --untracked-files=no)" ]; then
    echo "web: the committed HEAD is built and tested; uncommitted changes are not in it" >&2
  fi
  rm -rf "$2/tide_marker"
  git clone -q "$1" "$2/tide_marker"
  # A compiler cache set up for the checkout serves the clone as well.
  [ -z "${CCACHE_BASEDIR:-}" ] || export CCACHE_BASEDIR=$2/tide_marker
  (cd "$2/tide_marker" && env -u TIDE_NATIVE_BUILD -u TIDE_WEB_BUILD scripts/web/build.sh)
}

# On one line: bash reads a script as it runs, and an edit made meanwhile must
# not be read after main returns.
main "$@"; exit
