#include "settings/WineRegistry.h"

#include <cstring>

#include "base/Errors.h"
#include "base/Text.h"
#include "platform/File.h"

namespace velkor {
namespace {

std::string UndoubleBackslashes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

constexpr std::size_t kReadBuffer = 64u << 10;

}  // namespace

WineRegistryLookup::WineRegistryLookup(std::vector<std::string> keys, std::string name)
    : keys_(std::move(keys)), name_(std::move(name)), values_(keys_.size()) {}

void WineRegistryLookup::Line(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) return;
  if (line.front() == '[') {
    section_.reset();
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return;
    const std::string key = UndoubleBackslashes(line.substr(1, close - 1));
    for (std::size_t k = 0; k < keys_.size(); ++k)
      if (SameIgnoringCase(key, keys_[k])) section_ = k;
    return;
  }
  if (!section_ || values_[*section_] || line.front() != '"') return;
  const auto valueName = ReadQuoted(line, 0, QuoteEscapes::Wine);
  if (!valueName || valueName->end >= line.size() || line[valueName->end] != '=' ||
      !SameIgnoringCase(valueName->text, name_))
    return;
  std::size_t pos = valueName->end + 1;
  if (line.compare(pos, 7, "str(2):") == 0) pos += 7;
  if (pos < line.size() && line[pos] == '"') {
    if (auto value = ReadQuoted(line, pos, QuoteEscapes::Wine)) values_[*section_] = std::move(value->text);
  }
}

std::optional<std::string> FindWineRegistryString(std::string_view fileText, const std::string& key,
                                                  const std::string& name) {
  WineRegistryLookup lookup({key}, name);
  for (const std::string_view line : SplitLines(fileText)) lookup.Line(line);
  return lookup.Values().front();
}

std::optional<std::vector<std::optional<std::string>>> ReadWineRegistryStrings(const std::string& path,
                                                                                std::vector<std::string> keys,
                                                                                const std::string& name) {
  std::optional<platform::File> file = platform::File::Open(path, platform::File::ReadIfPossible);
  if (!file) return std::nullopt;
  const auto tooLarge = [&] {
    return FormatError(path, "larger than the " + std::to_string(kLargestWineRegistryFile >> 20) +
                                 " MiB of any registry Wine writes");
  };
  if (file->Length() > kLargestWineRegistryFile) throw tooLarge();

  WineRegistryLookup lookup(std::move(keys), name);
  std::vector<std::uint8_t> buffer(kReadBuffer);
  std::string line;
  std::uint64_t total = 0;
  std::uint64_t lineNumber = 1;
  while (const std::size_t got = file->ReadSome(buffer)) {
    total += got;
    if (total > kLargestWineRegistryFile) throw tooLarge();  // it grew while being read
    const char* at = reinterpret_cast<const char*>(buffer.data());
    const char* const end = at + got;
    while (at < end) {
      const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
      const char* const stop = newline ? newline : end;
      if (line.size() + static_cast<std::size_t>(stop - at) > kLongestWineRegistryLine)
        throw FormatError(path, "line " + std::to_string(lineNumber) + " is longer than the " +
                                    std::to_string(kLongestWineRegistryLine >> 10) + " KiB of any line Wine writes");
      line.append(at, stop);
      if (!newline) break;
      lookup.Line(line);
      line.clear();
      ++lineNumber;
      at = newline + 1;
    }
  }
  lookup.Line(line);
  return lookup.Values();
}

}  // namespace velkor
