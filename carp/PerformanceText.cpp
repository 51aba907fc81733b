#include "carp/PerformanceText.h"

#include <vector>

#include "base/Errors.h"
#include "carp/ParameterDescriptions.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// For each label below `count`, the position just after the ")" of its first occurrence.
// One pass over the text, so the cost does not grow with the number of labels: every "("
// is tried as the start of a label. Labels are written without leading zeros, so "(012)"
// is no label, and no label has more than two digits.
std::vector<std::size_t> FirstLabelEnds(std::string_view text, std::size_t count) {
  std::vector<std::size_t> ends(count, kNotFound);
  std::size_t missing = count;
  for (std::size_t open = text.find('('); open != kNotFound && missing > 0; open = text.find('(', open + 1)) {
    std::size_t at = open + 1;
    std::size_t label = 0;
    std::size_t digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < 3) {
      label = label * 10 + static_cast<std::size_t>(text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || at >= text.size() || text[at] != ')') continue;
    if (digits > 1 && text[open + 1] == '0') continue;
    if (label >= count || ends[label] != kNotFound) continue;
    ends[label] = at + 1;
    --missing;
  }
  return ends;
}

}  // namespace

std::string ReadPerformanceText(platform::File file) {
  const std::int32_t length = CheckedFileSize(file.Path(), file.Length());
  std::string text(static_cast<std::size_t>(length), '\0');
  file.ReadExact(MutableByteView(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
  return text;
}

void ExtractPerformanceValues(std::string_view text, std::span<std::string> values) {
  const std::vector<std::size_t> labelEnds = FirstLabelEnds(text, values.size());
  for (std::size_t n = 0; n < values.size(); ++n) {
    values[n].clear();
    if (labelEnds[n] == kNotFound) continue;
    // The two characters after the label end the description line; they are skipped
    // whatever they are.
    const std::size_t start = labelEnds[n] + 2;
    if (start >= text.size()) continue;
    const std::size_t end = text.find('\r', start);
    if (end == kNotFound) continue;
    values[n].assign(text.substr(start, end - start));
  }
}

std::string BuildPerformanceText(std::span<const int> order, std::span<const std::string> values) {
  std::size_t length = 0;
  for (const int label : order) {
    const auto n = static_cast<std::size_t>(label);
    if (n >= values.size() || n >= parameterDescriptions.size())
      throw InternalError("performance file entry order names label " + std::to_string(label));
    length += parameterDescriptions[n].size() + values[n].size() + 9;  // "(nn)\r\n" + "\r\n"
  }
  std::string text;
  text.reserve(length);
  for (const int label : order) {
    const auto n = static_cast<std::size_t>(label);
    text += parameterDescriptions[n];
    text += '(';
    text += std::to_string(label);
    text += ")\r\n";
    text += values[n];
    text += "\r\n";
  }
  return text;
}

std::int32_t WritePerformanceText(const std::string& path, std::string_view text) {
  const std::int32_t length = CheckedFileSize(path, text.size());
  WriteFileAtomically(path, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  return length;
}

}  // namespace velkor
