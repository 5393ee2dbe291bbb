// The test data folder, found from the environment or from this file's own
// place in the source tree, so a test run by hand finds it too.
#include "support/engine/test_data.h"

#include <cstdlib>

std::string TestDataDir() {
  const char* env = std::getenv("TIDE_TESTDATA");
  if (env != nullptr && env[0] != '\0') return env;
  // This file is tests/support/engine/test_data.cpp under the source root.
  std::string path = __FILE__;
  for (int i = 0; i < 3; ++i) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "tests/data";
    path.resize(slash);
  }
  return path + "/data";
}
