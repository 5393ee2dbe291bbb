// mkdtemp and the fork stand-in for the Windows build of the tests.
#include "posix_compat.h"

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstring>

char* mkdtemp(char* pattern) {
  size_t length = std::strlen(pattern);
  if (_mktemp_s(pattern, length + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}

int fork(void) {
  errno = ENOSYS;
  return -1;
}
