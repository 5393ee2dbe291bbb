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
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x800x24 -noreset" \
      ctest --output-on-failure --timeout 600 -j2 "$@")
}

export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1"
# Fast unwinding on malloc (the default): the slow unwinder deadlocks inside
# libgcc when llvmpipe's JIT registers its frames during a draw.
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"

sanitizers=$([ "${TIDE_SKIP_SANITIZERS:-0}" = 1 ] || echo 1)
web=$([ "${TIDE_SKIP_WEB:-0}" = 1 ] || echo 1)
windows=$([ "${TIDE_SKIP_WINDOWS:-0}" = 1 ] || echo 1)

# The later stages' builds run one after another in the background, at the
# lowest priority, while the normal stage's tests run: those mostly wait on
# real-time rounds and leave much of the machine idle, and the priority keeps
# the builds out of their way. Each build leaves NAME.ok or NAME.failed and
# its output NAME.log in $prebuilt; a stage waits for its own.
prebuilt=$(mktemp -d "${TMPDIR:-/tmp}/tide_prebuild.XXXXXX")
prebuild_pid=""
# Under errexit a failing command here would become the command's exit
# status: the builds have usually ended long before.
end_prebuild() {
  if [ -n "$prebuild_pid" ]; then
    kill -- -"$prebuild_pid" 2>/dev/null || true
    wait "$prebuild_pid" 2>/dev/null || true
  fi
  rm -rf "$prebuilt"
}
trap end_prebuild EXIT

prebuild_step() {
  local name=$1
  shift
  if "$@" >"$prebuilt/$name.log" 2>&1; then touch "$prebuilt/$name.ok"; else touch "$prebuilt/$name.failed"; fi
}

await_prebuild() {
  local name=$1
  until [ -e "$prebuilt/$name.ok" ] || [ -e "$prebuilt/$name.failed" ]; do
    if ! kill -0 "$prebuild_pid" 2>/dev/null; then
      [ -e "$prebuilt/$name.ok" ] || [ -e "$prebuilt/$name.failed" ] || touch "$prebuilt/$name.failed"
      break
    fi
    sleep 2
  done
  if [ -e "$prebuilt/$name.failed" ]; then
    echo "== the $name build failed:"
    tail -n 100 "$prebuilt/$name.log" 2>/dev/null
    exit 1
  fi
}

prebuild_all() {
  set +e
  renice -n 19 -p $BASHPID >/dev/null
  ionice -c 2 -n 7 -p $BASHPID 2>/dev/null
  if [ -n "$sanitizers" ]; then
    prebuild_step tsan "$root/scripts/build.sh" "$root/build-tsan" -DTIDE_SANITIZE=thread \
        -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=OFF -DTIDE_CONTENTS_FROM="$root/build/contents" \
        -DTIDE_E2E_PROBE="$root/build/tests/e2e_probe"
    prebuild_step asan "$root/scripts/build.sh" "$root/build-asan" -DTIDE_SANITIZE=address \
        -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=OFF -DTIDE_CONTENTS_FROM="$root/build/contents" \
        -DTIDE_E2E_PROBE="$root/build/tests/e2e_probe"
  fi
  prebuild_step fuzz bash -c '. "$1/fuzz/fuzz_common.sh" && fuzz_setup' _ "$root"
  [ -z "$web" ] || prebuild_step web "$root/scripts/web/test.sh" --build "$prebuilt/web"
  [ -z "$windows" ] || prebuild_step windows env TIDE_NATIVE_BUILD="$root/build" \
      "$root/scripts/windows/build.sh" --tests
}

echo "== normal build"
"$root/scripts/build.sh" "$root/build" -DBUILD_TESTING=ON -DTIDE_BUILD_BENCH=ON
# A process group of its own, so that the exit ends every build in it.
set -m
prebuild_all &
prebuild_pid=$!
set +m
run_suite "$root/build"

if [ -n "$sanitizers" ]; then
  echo "== ThreadSanitizer build"
  await_prebuild tsan
  run_suite "$root/build-tsan" -LE normal_build_only

  echo "== AddressSanitizer + UBSan build"
  await_prebuild asan
  run_suite "$root/build-asan" -LE normal_build_only
fi
echo "== fuzz targets, a short bounded run each"
await_prebuild fuzz
"$root/scripts/fuzz_smoke.sh"

if [ -n "$web" ]; then
  echo "== web build: its tests under Node.js and the game in Chromium"
  await_prebuild web
  sed -n '/^== /p; /^web: /p' "$prebuilt/web.log"
  "$root/scripts/web/test.sh" --test "$prebuilt/web"
fi

if [ -n "$windows" ]; then
  echo "== Windows build: its tests, the game and its installer under Wine"
  await_prebuild windows
  TIDE_NATIVE_BUILD="$root/build" "$root/scripts/windows/test.sh"
fi
echo "all suites passed"
