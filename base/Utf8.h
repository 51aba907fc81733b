#pragma once

// UTF-8 as the desktop's formats and D-Bus require it: well-formed sequences only (no
// overlong forms, no surrogates, nothing above U+10FFFF).

#include <string>
#include <string_view>

namespace velkor {

bool IsValidUtf8(std::string_view text);

// `text` with each byte that does not start a well-formed sequence replaced by U+FFFD.
std::string WithValidUtf8(std::string_view text);

}  // namespace velkor
