#include "platform/WineRegistry.h"

#include "platform/AsciiCase.h"

namespace velkor::platform {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the quoted, escaped text starting at text[pos] == '"'; the position after the
// closing quote, or npos when it is not closed on the line.
std::size_t Unquote(const std::string& text, std::size_t pos, std::string& out) {
  out.clear();
  for (++pos; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '"') return pos + 1;
    if (c != '\\' || pos + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char e = text[++pos];
    if (e == 'n') {
      out += '\n';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == 't') {
      out += '\t';
    } else if (e == '0') {
      out += '\0';
    } else if (e == 'x') {
      // \xHHHH: a UTF-16 unit; kept when it is one byte, else replaced.
      unsigned value = 0;
      int digits = 0;
      while (digits < 4 && pos + 1 < text.size() && HexDigit(text[pos + 1]) >= 0) {
        value = value * 16 + static_cast<unsigned>(HexDigit(text[++pos]));
        ++digits;
      }
      out += value < 0x100 ? static_cast<char>(value) : '?';
    } else {
      out += e;
    }
  }
  return std::string::npos;
}

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
  std::size_t start = 0;
  while (start < fileText.size()) {
    std::size_t end = fileText.find('\n', start);
    if (end == std::string::npos) end = fileText.size();
    std::string line = fileText.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      inKey = close != std::string::npos && SameIgnoringCase(UndoubleBackslashes(line.substr(1, close - 1)), key);
      continue;
    }
    if (!inKey || line.front() != '"') continue;
    std::string valueName;
    std::size_t pos = Unquote(line, 0, valueName);
    if (pos == std::string::npos || pos >= line.size() || line[pos] != '=' || !SameIgnoringCase(valueName, name))
      continue;
    ++pos;
    if (line.compare(pos, 7, "str(2):") == 0) pos += 7;
    std::string value;
    if (pos < line.size() && line[pos] == '"' && Unquote(line, pos, value) != std::string::npos) return value;
  }
  return std::nullopt;
}

}  // namespace velkor::platform
