#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs the whole test suite:
# the normal build, then again under ThreadSanitizer and under
# AddressSanitizer with UBSan, then the web build (under Node.js and in
# Chromium), then the Windows build (under Wine). GL and whole-program tests
# run under Xvfb; builds compile through ccache. TIDE_SKIP_SANITIZERS=1,
# TIDE_SKIP_WEB=1 and TIDE_SKIP_WINDOWS=1 leave stages out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh" test
. "$root/scripts/lib/compiler_cache.sh"
use_compiler_cache "$root"

# run_suite BUILD_DIR [CTEST_ARGS...]
run_suite() {
  local dir=$1
  shift
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x800x24" \
      ctest --output-on-failure --timeout 600 -j2 "$@")
}

export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1"
# Fast unwinding on malloc (the default): the slow unwinder deadlocks inside
# libgcc when llvmpipe's JIT registers its frames during a draw.
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"

echo "== normal build"
"$root/scripts/build.sh" "$root/build" -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=ON
run_suite "$root/build"

if [ "${TIDE_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== ThreadSanitizer build"
  "$root/scripts/build.sh" "$root/build-tsan" -DTIDE_SANITIZE=thread \
      -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=OFF -DTIDE_CONTENTS_FROM="$root/build/contents"
  run_suite "$root/build-tsan" -LE normal_build_only

  echo "== AddressSanitizer + UBSan build"
  "$root/scripts/build.sh" "$root/build-asan" -DTIDE_SANITIZE=address \
      -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=OFF -DTIDE_CONTENTS_FROM="$root/build/contents"
  run_suite "$root/build-asan" -LE normal_build_only
fi
echo "== fuzz targets, a short bounded run each"
"$root/scripts/fuzz_smoke.sh"

if [ "${TIDE_SKIP_WEB:-0}" != 1 ]; then
  echo "== web build: its tests under Node.js and the game in Chromium"
  "$root/scripts/web/test.sh"
fi

if [ "${TIDE_SKIP_WINDOWS:-0}" != 1 ]; then
  echo "== Windows build: its tests, the game and its installer under Wine"
  TIDE_NATIVE_BUILD="$root/build" "$root/scripts/windows/test.sh"
fi
echo "all suites passed"
