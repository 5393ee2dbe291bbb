// The POSIX calls the shared test files use, for their Windows build (read
// before every test source): mkdtemp, setenv and unsetenv, and fork, which
// always fails (the one case that needs it is left out under Wine).
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

// Through the C runtime's own environment, which OpenAL32.dll reads too.
static inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

static inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
