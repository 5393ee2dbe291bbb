// Where the tests' published data files live: tests/data in the source tree.
#pragma once

#include <string>

// $TIDE_TESTDATA when set (the test build sets it), else tests/data under the
// source root this file was compiled from.
std::string TestDataDir();
