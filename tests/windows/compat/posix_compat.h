// The POSIX calls the shared test files use, for their Windows build (read
// before every test source): mkdtemp, and fork, which always fails (the one
// case that needs it is left out under Wine).
#pragma once

#include <direct.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

static inline char* mkdtemp(char* pattern) {
  return _mktemp_s(pattern, strlen(pattern) + 1) == 0 && _mkdir(pattern) == 0 ? pattern : nullptr;
}

static inline int fork() {
  errno = ENOSYS;
  return -1;
}
