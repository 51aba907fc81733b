#pragma once

#include <string_view>

namespace velkor::platform {

// Case folding of ASCII letters only, as registry keys, Wine and file systems that ignore
// case compare names; other bytes compare as they are.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace velkor::platform
