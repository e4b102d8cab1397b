#pragma once
// What a test that limits memory needs to know of its own process: its
// figures in /proc/self/status, and whether AddressSanitizer runs it (its
// shadow memory takes an address space no limit leaves room for).

#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define ZANDREL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZANDREL_ASAN 1
#endif
#endif

namespace zandrel::testing {

// A figure of this process from /proc/self/status, in KiB; -1 when missing.
inline long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return -1;
}

}  // namespace zandrel::testing
