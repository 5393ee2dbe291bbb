// A folder of a test program's own for the files it writes.
#pragma once

#include <string>

// A fresh folder under /tmp for one test process, removed when it ends.
std::string TestTempDir();
