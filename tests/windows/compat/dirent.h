// The C library's folder listing, plus the one Linux folder the shared tests
// list to count the process's open files: "/proc/self/fd" lists here one
// entry per open descriptor of the C library, so a file left open still
// shows as one more.
#pragma once

#include_next <dirent.h>

#include <io.h>

#include <cstring>

namespace posix_compat {

// The C library's descriptors are numbered from 0 up to below this.
constexpr int kDescriptorLimit = 2048;

struct HandleListing {
  int left;
  struct dirent entry;
};

inline HandleListing handleListing;
inline DIR* const kHandleListing = reinterpret_cast<DIR*>(&handleListing);

inline DIR* OpenDir(const char* path) {
  if (std::strcmp(path, "/proc/self/fd") != 0) return opendir(path);
  handleListing.left = 0;
  for (int fd = 0; fd < kDescriptorLimit; ++fd) {
    if (_get_osfhandle(fd) != -1) ++handleListing.left;
  }
  return kHandleListing;
}

inline struct dirent* ReadDir(DIR* dir) {
  if (dir != kHandleListing) return readdir(dir);
  if (handleListing.left == 0) return nullptr;
  --handleListing.left;
  return &handleListing.entry;
}

inline int CloseDir(DIR* dir) { return dir == kHandleListing ? 0 : closedir(dir); }

}  // namespace posix_compat

#define opendir posix_compat::OpenDir
#define readdir posix_compat::ReadDir
#define closedir posix_compat::CloseDir
