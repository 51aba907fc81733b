// The performance file checks of `velkor --check`.

#include <charconv>
#include <cstdio>
#include <cmath>
#include <optional>
#include <vector>

#include "app/CheckReport.h"
#include "base/Errors.h"
#include "carp/ParameterDescriptions.h"
#include "carp/PerformanceText.h"
#include "recogniser/ContentGame.h"

namespace velkor {
namespace {

constexpr std::size_t kVelocityToRpm = 7;
constexpr std::size_t kMaximumVelocity = 14;

std::string Label(std::size_t label) {
  return "(" + std::to_string(label) + ") \"" + std::string(parameterDescriptions[label]) + "\"";
}

std::size_t Occurrences(std::string_view text, const std::string& what) {
  std::size_t count = 0;
  for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

// The numbers of a value line: separated by commas and blanks. Nothing when a part of the
// line is not a number; `bad` then names it.
std::optional<std::vector<double>> Numbers(const std::string& value, std::string& bad) {
  std::vector<double> numbers;
  std::size_t at = 0;
  while (true) {
    at = value.find_first_not_of(" \t,", at);
    if (at == std::string::npos) return numbers;
    const std::size_t end = std::min(value.find_first_of(" \t,", at), value.size());
    const std::string token = value.substr(at, end - at);
    double number = 0;
    const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), number);
    if (ec != std::errc() || ptr != token.data() + token.size() || !std::isfinite(number)) {
      bad = token;
      return std::nullopt;
    }
    numbers.push_back(number);
    at = end;
  }
}

// A whole number as text, however large (the product of two hostile values may not fit
// any integer type).
std::string Whole(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

// A published investigation of an add-on car that crashed NFS3 found that the game computes
// floor(round(maximum velocity x last velocity-to-rpm ratio) / 256) and uses it, unchecked,
// as an index into a table of 41 entries: outside 0 to 40 it reads whatever lies beyond and
// may crash. It is the only range rule kept here: others that circulate among modders could
// not be confirmed.
void CheckNfs3TableIndex(const std::vector<std::optional<std::vector<double>>>& numbers, bool nfs3,
                         const std::string& member, CheckReport& report) {
  const auto& velocity = numbers[kMaximumVelocity];
  const auto& ratios = numbers[kVelocityToRpm];
  if (!velocity || velocity->empty() || !ratios || ratios->empty()) return;
  const double index = std::floor(std::round(velocity->front() * ratios->back()) / 256);
  if (index >= 0 && index <= 40) return;
  report.Warn(member, "label (14) maximum velocity " + std::to_string(velocity->front()) +
                          " x the last value of label (7) velocity to rpm ratio " + std::to_string(ratios->back()) +
                          " gives " + Whole(index) + " after rounding and dividing by 256; " +
                          (nfs3 ? "NFS3" : "the car converted to NFS3") +
                          " needs 0 to 40 and otherwise reads past its table and may crash");
}

}  // namespace

std::string CheckPerformanceContent(platform::File file, const std::string& member, CheckReport& report) {
  const ContentIdentity identity = IdentifyPerformanceFile(file, 0, file.Length());
  file.Seek(0);
  std::string text;
  try {
    text = ReadPerformanceText(std::move(file));
  } catch (const FormatError& e) {
    report.Fail(member, e.what());
    return "a performance file that cannot be read";
  }
  // Undecided files are told apart as the recogniser does: "(80)" makes an NFS4 file.
  const bool nfs4 = identity.game == ContentGame::Nfs4 ||
                    (identity.game == ContentGame::Undecided && text.find("(80)") != std::string::npos);
  const std::size_t count = nfs4 ? kNfs4ParameterCount : kNfs3ParameterCount;
  std::vector<std::string> values(count);
  ExtractPerformanceValues(text, values);
  std::vector<std::optional<std::vector<double>>> numbers(count);
  for (std::size_t label = 0; label < count; ++label) {
    const std::size_t seen = Occurrences(text, "(" + std::to_string(label) + ")");
    if (seen == 0) {
      report.Warn(member, "label " + Label(label) + " is missing; it reads as empty");
      continue;
    }
    if (seen > 1)
      report.Warn(member, "label " + Label(label) + " occurs " + std::to_string(seen) + " times; the first is read");
    std::string bad;
    numbers[label] = Numbers(values[label], bad);
    if (!numbers[label])
      report.Warn(member, "label " + Label(label) + " = \"" + values[label] + "\": \"" + bad + "\" is not a number");
    else if (numbers[label]->empty())
      report.Warn(member, "label " + Label(label) + " has no value");
  }
  CheckNfs3TableIndex(numbers, !nfs4, member, report);
  std::string what = nfs4 ? "an NFS4 performance file" : "an NFS3 performance file";
  if (!values[0].empty()) what += ", serial number " + values[0];
  if (count > 1 && !values[1].empty()) what += ", class " + values[1];
  return what;
}

}  // namespace velkor
