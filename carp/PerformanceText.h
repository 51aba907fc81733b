#pragma once

// The text layout shared by both games' performance files: entries of two CR LF-ended
// lines, "<description>(<label>)" and the value. Values are carried as raw bytes.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/File.h"

namespace velkor {

// The whole of `file` as one text. Its length is checked before anything is allocated.
std::string ReadPerformanceText(platform::File file);

// values[n] becomes the bytes between "(n)" plus the two characters after it and the next
// CR, taken from the first occurrence of "(n)" in `text`. A label that does not occur, or
// whose value has no CR after it, gives an empty value. Labels at or beyond values.size()
// are ignored.
void ExtractPerformanceValues(std::string_view text, std::span<std::string> values);

// Fills `values` from `file` (all of them, or none when reading fails) and returns the
// file's length.
template <std::size_t N>
std::int32_t LoadPerformanceValues(platform::File file, std::array<std::string, N>& values) {
  const std::string text = ReadPerformanceText(std::move(file));
  std::array<std::string, N> loaded;
  ExtractPerformanceValues(text, loaded);
  values = std::move(loaded);
  return static_cast<std::int32_t>(text.size());
}

// The file text with one entry per label of `order`, in that order.
std::string BuildPerformanceText(std::span<const int> order, std::span<const std::string> values);

// Writes `text` as the file `path`, whole or not at all; returns its length.
std::int32_t WritePerformanceText(const std::string& path, std::string_view text);

}  // namespace velkor
