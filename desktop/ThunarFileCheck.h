#pragma once

// Whether Thunar can read a custom-actions file. Thunar drops every action of a file its
// strict reader refuses, so Velkor rewrites only files that reader accepts, and writes only
// such files.

#include <string>

namespace velkor::desktop {

// Thunar's actions nest three levels deep (actions, action, field); a file nested deeper than
// this is not one, and rewriting a deep file costs time with the square of its depth.
constexpr int kDeepestThunarFile = 8;

// Empty when `text` is a well-formed UTF-8 XML document of at most kDeepestThunarFile levels;
// otherwise why not, in words for a warning.
std::string WhyThunarCannotRead(const std::string& text);

}  // namespace velkor::desktop
