#include "support/engine/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

// The test program's folder, removed when the program ends (by the process
// that made it: a forked child that exits leaves it alone).
struct TempDir {
  std::string path;
  pid_t owner = 0;
  ~TempDir() {
    std::error_code ignored;
    if (!path.empty() && owner == getpid()) std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

std::string TestTempDir() {
  static TempDir dir;
  if (dir.path.empty()) {
    char pattern[] = "/tmp/tide_test_XXXXXX";
    if (const char* made = mkdtemp(pattern)) {
      dir.path = made;
      dir.owner = getpid();
    }
  }
  return dir.path.empty() ? "/tmp" : dir.path;
}
