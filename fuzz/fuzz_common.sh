# Shared by scripts/fuzz_smoke.sh and scripts/fuzz_long.sh (sourced, not run):
# builds the fuzz targets in their own clang build folder, instrumenting the
# decoder libraries from their Debian sources when those can be had, and
# fills the seed folders.
fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_build=${TIDE_FUZZ_BUILD:-$fuzz_root/build-fuzz}
fuzz_targets=(png_decode ogg_decode music_stream settings_file command_line replay_file)

fuzz_setup() {
  "$fuzz_root/scripts/install_deps.sh"
  local sources=""
  if "$fuzz_root/fuzz/fetch_sources.sh" "$fuzz_build/src"; then
    sources=$fuzz_build/src
  else
    echo "fuzz: decoder sources unavailable, fuzzing over the system libraries"
  fi
  cmake -S "$fuzz_root" -B "$fuzz_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DTIDE_BUILD_FUZZ=ON -DBUILD_TESTING=OFF -DTIDE_BUILD_BENCH=OFF \
      -DTIDE_FUZZ_SOURCES="$sources" >/dev/null
  cmake --build "$fuzz_build" --target fuzz_targets -j2 >/dev/null
  local contents=()
  for dir in "$fuzz_root/build/contents" "$fuzz_build/contents"; do
    [ -d "$dir" ] && contents+=("$dir")
  done
  "$fuzz_root/fuzz/make_seeds.sh" "$fuzz_build/seeds" "${contents[@]}"
  for target in "${fuzz_targets[@]}"; do
    mkdir -p "$fuzz_build/corpus/$target" "$fuzz_build/artifacts/$target"
  done
}

fuzz_seed_kind() {
  case $1 in
    png_decode) echo png ;;
    settings_file) echo settings ;;
    command_line) echo command_line ;;
    replay_file) echo replay ;;
    *) echo ogg ;;
  esac
}

# Ogg inputs are cut to 16 KiB: room for the three headers and several pages
# of audio, while whole streams of seconds would slow every run many times over.
# A settings file of 256 bytes holds a dozen lines, three times what the
# program writes (longer ones slow every run: each line is checked alone
# too); a command line of 1 KiB dozens of arguments; a replay of 8 KiB a
# round of continuous dragging.
fuzz_target_options() {
  case $1 in
    png_decode) ;;
    settings_file) echo -max_len=256 ;;
    command_line) echo -max_len=1024 ;;
    replay_file) echo -max_len=8192 ;;
    *) echo -max_len=16384 ;;
  esac
}

# fuzz_run <target> <libFuzzer options...>: runs one target over its kept
# corpus and the seeds; the log goes to <build>/logs/<target>.log. Extra
# libFuzzer options may come in TIDE_FUZZ_OPTIONS, e.g. -detect_leaks=0: every
# damaged chained stream that hits libvorbisfile's own (suppressed) leak costs
# a full leak scan, which slows the Ogg targets several times over.
fuzz_run() {
  local target=$1
  shift
  local kind
  kind=$(fuzz_seed_kind "$target")
  mkdir -p "$fuzz_build/logs"
  local log=$fuzz_build/logs/$target.log
  LSAN_OPTIONS="suppressions=$fuzz_root/fuzz/lsan.supp" \
  UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" \
  "$fuzz_build/fuzz/${target}_fuzz" \
      -dict="$fuzz_root/fuzz/$kind.dict" \
      -artifact_prefix="$fuzz_build/artifacts/$target/" \
      -rss_limit_mb=4096 -print_final_stats=1 $(fuzz_target_options "$target") ${TIDE_FUZZ_OPTIONS:-} "$@" \
      "$fuzz_build/corpus/$target" "$fuzz_build/seeds/$kind" >"$log" 2>&1
  local status=$?
  local done_line
  done_line=$(grep -a '^#[0-9]*.*DONE' "$log" | tail -1)
  echo "$target: exit $status; ${done_line:-no DONE line (see $log)}"
  if [ $status -ne 0 ]; then
    grep -a -m5 'ERROR\|SUMMARY\|runtime error\|_fuzz: ' "$log" || true
  fi
  return $status
}
