// The C library's folder listing, where "/proc/self/fd" (which the shared
// tests list to count open files) lists one entry per open descriptor of
// the C library: a file left open still shows as one more.
#pragma once

#include_next <dirent.h>
#include <io.h>
#include <string.h>

namespace posix_compat {
inline struct {
  int left;
  dirent entry;
} descriptors;
inline DIR* const kDescriptors = reinterpret_cast<DIR*>(&descriptors);

inline DIR* OpenDir(const char* path) {
  if (strcmp(path, "/proc/self/fd") != 0) return opendir(path);
  descriptors.left = 0;
  for (int fd = 0; fd < 2048; ++fd) descriptors.left += _get_osfhandle(fd) != -1;
  return kDescriptors;
}
inline dirent* ReadDir(DIR* dir) {
  if (dir != kDescriptors) return readdir(dir);
  return descriptors.left-- > 0 ? &descriptors.entry : nullptr;
}
inline int CloseDir(DIR* dir) { return dir == kDescriptors ? 0 : closedir(dir); }
}  // namespace posix_compat

#define opendir posix_compat::OpenDir
#define readdir posix_compat::ReadDir
#define closedir posix_compat::CloseDir
