# Sourced by the test command: its builds compile through ccache when it is
# installed. Every run of the command may start from a fresh clone, and the
# same sources in another folder then come from the cache: paths under the
# checkout are made relative to it and the working folder is left out of the
# key (the test builds' debug information then names files relatively).
#   use_compiler_cache CHECKOUT
use_compiler_cache() {
  command -v ccache >/dev/null || return 0
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$1 CCACHE_NOHASHDIR=1
}
