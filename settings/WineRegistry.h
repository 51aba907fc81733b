#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// Finds string values in the text of a Wine registry file (system.reg), one line at a
// time: sections "[Software\\Electronic Arts\\Game] 1700000000" hold "name"="value" lines,
// with "\" doubled in key names and values. Keys are given with single "\" and compared
// ignoring case, as are value names; the first string value of each key counts.
class WineRegistryLookup {
 public:
  WineRegistryLookup(std::vector<std::string> keys, std::string name);

  // One line of the file, without its line end.
  void Line(std::string_view line);

  // For each key, in the order given: its value, when a line held one.
  const std::vector<std::optional<std::string>>& Values() const { return values_; }

 private:
  std::vector<std::string> keys_;
  std::string name_;
  std::vector<std::optional<std::string>> values_;
  std::optional<std::size_t> section_;  // the key whose section the lines are in
};

// The value `name` of `key` in a registry file's text held in memory.
std::optional<std::string> FindWineRegistryString(std::string_view fileText, const std::string& key,
                                                  const std::string& name);

// The values `name` of `keys` in the registry file at `path`, read once, line by line through
// a bounded buffer. Nothing for a file that is missing, unreadable or not a regular file.
// Raises FormatError for a file or line larger than Wine ever writes (such a file is not a
// registry, and is not read further) and FileError when reading fails.
std::optional<std::vector<std::optional<std::string>>> ReadWineRegistryStrings(const std::string& path,
                                                                                std::vector<std::string> keys,
                                                                                const std::string& name);

// The bounds of ReadWineRegistryStrings. Wine writes each value on one line and wraps
// binary data at 80 columns, so its longest lines are the longest strings programs store
// (a few KiB: search paths, lists of fonts); a fresh prefix's system.reg is about 2 MiB and
// long-used ones a few tens. A line of 1 MiB and a file of 64 MiB leave room for any of
// them and keep a file that is something else from costing memory or time.
inline constexpr std::size_t kLongestWineRegistryLine = 1u << 20;
inline constexpr std::uint64_t kLargestWineRegistryFile = 64u << 20;

}  // namespace velkor
