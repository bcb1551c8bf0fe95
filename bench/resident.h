// The process's resident memory, for the benchmarks that report what a scene
// takes per symbol.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// Resident memory of the process in kB ("VmRSS:" of /proc/self/status).
inline double ResidentKB() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr);
  return 0;
}
