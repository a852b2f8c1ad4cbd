// The test process's resident memory, for the tests that check it stays flat.
#pragma once

#include <fstream>
#include <string>

/// Resident set size of this process in kB, 0 when /proc does not say.
inline long RssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}
