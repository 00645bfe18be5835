#pragma once

// The process's resident memory as Linux reports it, for the benches that
// show a memory goal. Elsewhere both report failure (-1, false).

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace kelvandor::bench {

// A field of /proc/self/status in KiB, or -1.
inline long StatusKib(std::string_view field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, field.size(), field) == 0 && line.size() > field.size() &&
        line[field.size()] == ':') {
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
  }
  return -1;
}

// Lets VmHWM start again from the current resident size (Linux 4.0 and later).
inline bool ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

}  // namespace kelvandor::bench
