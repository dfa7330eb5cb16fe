// Bytes that do not compress, for archives that must be large on the media.
#pragma once

#include <cstdint>
#include <string>

namespace kolvar::deploy::testing {

// `size` pseudo-random bytes, the same on every call.
inline std::string Bulk(size_t size) {
  std::string s(size, '\0');
  uint32_t seed = 1;
  for (char& c : s) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

}  // namespace kolvar::deploy::testing
