// Scratch files for tests: below $SYLVANE_TEST_TMP (set by ctest to a folder in the build tree),
// named with the process id so that parallel test programs never share one.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

inline std::string TestTempPath(const std::string& name) {
  const char* dir = std::getenv("SYLVANE_TEST_TMP");
  return std::string(dir && *dir ? dir : ".") + "/" + std::to_string(getpid()) + "-" + name;
}
