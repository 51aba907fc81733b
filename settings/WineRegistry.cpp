#include "settings/WineRegistry.h"

#include "base/Text.h"

namespace velkor {
namespace {

std::string UndoubleBackslashes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

}  // namespace

std::optional<std::string> FindWineRegistryString(const std::string& fileText, const std::string& key,
                                                  const std::string& name) {
  bool inKey = false;
  for (const std::string_view lineView : SplitLines(fileText)) {
    const std::string line(lineView);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      inKey = close != std::string::npos && SameIgnoringCase(UndoubleBackslashes(line.substr(1, close - 1)), key);
      continue;
    }
    if (!inKey || line.front() != '"') continue;
    const auto valueName = ReadQuoted(line, 0, QuoteEscapes::Wine);
    if (!valueName || valueName->end >= line.size() || line[valueName->end] != '=' ||
        !SameIgnoringCase(valueName->text, name))
      continue;
    std::size_t pos = valueName->end + 1;
    if (line.compare(pos, 7, "str(2):") == 0) pos += 7;
    if (pos < line.size() && line[pos] == '"') {
      if (auto value = ReadQuoted(line, pos, QuoteEscapes::Wine)) return std::move(value->text);
    }
  }
  return std::nullopt;
}

}  // namespace velkor
