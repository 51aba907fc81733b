#include "base/Text.h"

namespace velkor {

std::string LowerCaseAscii(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

std::string UpperCaseAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string DropLastCharacters(const std::string& text, std::size_t n) {
  return text.size() > n ? text.substr(0, text.size() - n) : std::string();
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

namespace {

// Appends the character that the escape `e` stands for; `pos` is on `e` and moves past
// any further characters the escape takes (the digits of \xHHHH).
void AppendWineEscape(std::string_view line, std::size_t& pos, std::string& out) {
  switch (const char e = line[pos]) {
    case 'n': out += '\n'; return;
    case 'r': out += '\r'; return;
    case 't': out += '\t'; return;
    case '0': out += '\0'; return;
    case 'x': {
      unsigned value = 0;
      for (int digits = 0; digits < 4 && pos + 1 < line.size() && HexDigitValue(line[pos + 1]) >= 0; ++digits)
        value = value * 16 + static_cast<unsigned>(HexDigitValue(line[++pos]));
      out += value < 0x100 ? static_cast<char>(value) : '?';
      return;
    }
    default: out += e; return;
  }
}

}  // namespace

std::optional<QuotedText> ReadQuoted(std::string_view line, std::size_t pos, QuoteEscapes escapes) {
  QuotedText result{{}, 0};
  for (++pos; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      result.end = pos + 1;
      return result;
    }
    if (c != '\\' || pos + 1 >= line.size()) {
      result.text += c;
    } else if (escapes == QuoteEscapes::Wine) {
      ++pos;
      AppendWineEscape(line, pos, result.text);
    } else {
      result.text += line[++pos];
    }
  }
  return std::nullopt;
}

std::string EscapeQuoted(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace velkor
