#include "settings/LutrisConfig.h"

#include <cstdint>
#include <vector>

#include "base/Errors.h"
#include "base/Text.h"

namespace velkor {
namespace {

struct Line {
  std::size_t number = 0;  // 1-based, for messages
  std::size_t indent = 0;
  std::string text;  // without the indentation and the line end
};

class LutrisReader {
 public:
  LutrisReader(const std::string& path, const std::string& text) : path_(path) { Split(text); }

  std::optional<std::string> Prefix() {
    std::optional<std::string> prefix;
    std::size_t i = 0;
    while (i < lines_.size()) {
      const Line& line = lines_[i];
      if (line.indent > 0 || IsDocumentMarker(line.text)) {
        ++i;
        continue;
      }
      const auto [key, valueAt] = Key(line);
      if (key != "game") {
        ++i;
        continue;
      }
      // The last "game" wins, as in the YAML library that writes these files.
      prefix = GamePrefix(i, valueAt);
    }
    return prefix;
  }

 private:
  [[noreturn]] void Fail(const Line& line, const std::string& what) const {
    throw FormatError(path_, "line " + std::to_string(line.number) + ": " + what);
  }

  void Split(const std::string& text) {
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (std::size_t number = 1; start <= text.size(); ++number) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string raw = text.substr(start, end - start);
      start = end + 1;
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      const std::size_t indent = raw.find_first_not_of(' ');
      Line line{number, indent == std::string::npos ? raw.size() : indent, {}};
      line.text = raw.substr(line.indent);
      if (!line.text.empty() && line.text.front() == '\t' && line.text.find_first_not_of(" \t") != std::string::npos &&
          line.text[line.text.find_first_not_of(" \t")] != '#')
        Fail(line, "a tab in the indentation");
      lines_.push_back(std::move(line));
      if (end == text.size()) break;
    }
  }

  static bool IsBlank(const Line& line) {
    const std::size_t first = line.text.find_first_not_of(" \t");
    return first == std::string::npos || line.text[first] == '#';
  }
  static bool IsDocumentMarker(const std::string& text) {
    return text.rfind("---", 0) == 0 || text.rfind("...", 0) == 0 || text.rfind("%", 0) == 0;
  }

  // The key of a "key: value" line and where its value starts; an empty key for a line
  // that holds no mapping entry.
  std::pair<std::string, std::size_t> Key(const Line& line) const {
    const std::string& t = line.text;
    if (IsBlank(line)) return {"", 0};
    std::string key;
    std::size_t after = 0;
    if (t.front() == '"' || t.front() == '\'') {
      std::size_t pos = 0;
      key = QuotedOnOneLine(line, pos);
      after = pos;
    } else {
      std::size_t colon = 0;
      while ((colon = t.find(':', colon)) != std::string::npos) {
        if (colon + 1 == t.size() || t[colon + 1] == ' ' || t[colon + 1] == '\t') break;
        ++colon;
      }
      if (colon == std::string::npos) return {"", 0};
      key = t.substr(0, colon);
      while (!key.empty() && key.back() == ' ') key.pop_back();
      after = colon;
    }
    while (after < t.size() && (t[after] == ' ' || t[after] == '\t')) ++after;
    if (after >= t.size() || t[after] != ':') return {"", 0};
    ++after;
    if (after < t.size() && t[after] != ' ' && t[after] != '\t') return {"", 0};
    return {key, after};
  }

  // A quoted key, which must close on its own line.
  std::string QuotedOnOneLine(const Line& line, std::size_t& pos) const {
    const char quote = line.text[pos];
    std::string out;
    for (++pos; pos < line.text.size(); ++pos) {
      const char c = line.text[pos];
      if (c == quote && quote == '\'' && pos + 1 < line.text.size() && line.text[pos + 1] == '\'') {
        out += c;
        ++pos;
      } else if (c == quote) {
        ++pos;
        return out;
      } else if (c == '\\' && quote == '"' && pos + 1 < line.text.size()) {
        out += line.text[++pos];
      } else {
        out += c;
      }
    }
    Fail(line, "a quoted key that is not closed");
  }

  // Reads the block of "game" starting at lines_[i]; leaves i after it.
  std::optional<std::string> GamePrefix(std::size_t& i, std::size_t valueAt) {
    const Line& header = lines_[i];
    const std::string inlineValue = WithoutComment(header.text.substr(valueAt));
    ++i;
    if (!inlineValue.empty()) {
      if (inlineValue == "{}" || inlineValue == "~" || inlineValue == "null") return std::nullopt;
      Fail(header, "\"game\" is not a block mapping");
    }
    std::optional<std::string> prefix;
    std::size_t childIndent = 0;
    while (i < lines_.size()) {
      const Line& line = lines_[i];
      if (IsBlank(line)) {
        ++i;
        continue;
      }
      if (line.indent == 0) break;
      if (childIndent == 0) childIndent = line.indent;
      if (line.indent < childIndent) Fail(line, "an entry of \"game\" indented less than the first one");
      if (line.indent > childIndent) {  // part of another entry's value
        ++i;
        continue;
      }
      if (line.text.front() == '-') Fail(line, "\"game\" is a list, not a mapping");
      const auto [key, at] = Key(line);
      if (key.empty()) Fail(line, "an entry of \"game\" without \"key:\"");
      if (key == "prefix") {
        prefix = Scalar(i, at, childIndent);
      } else {
        ++i;
      }
    }
    return prefix;
  }

  static std::string WithoutComment(const std::string& text) {
    std::size_t end = text.size();
    for (std::size_t p = 0; p < text.size(); ++p) {
      if (text[p] == '#' && (p == 0 || text[p - 1] == ' ' || text[p - 1] == '\t')) {
        end = p;
        break;
      }
    }
    std::string out = text.substr(0, end);
    const std::size_t first = out.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    out.erase(0, first);
    out.erase(out.find_last_not_of(" \t") + 1);
    return out;
  }

  // The scalar value that starts at lines_[i].text[at]; continuation lines are those
  // indented more than `keyIndent`. Leaves i after the value. Nothing for a null value.
  std::optional<std::string> Scalar(std::size_t& i, std::size_t at, std::size_t keyIndent) {
    const Line& first = lines_[i];
    const std::string rest = first.text.substr(at);
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start != std::string::npos && (rest[start] == '"' || rest[start] == '\''))
      return Quoted(i, at + start, rest[start]);

    std::vector<std::string> parts;
    if (const std::string text = WithoutComment(rest); !text.empty()) parts.push_back(text);
    for (++i; i < lines_.size() && (lines_[i].indent > keyIndent || lines_[i].text.empty()); ++i) {
      if (lines_[i].text.empty()) {
        parts.emplace_back();
        continue;
      }
      if (lines_[i].text.front() == '#') break;
      parts.push_back(WithoutComment(lines_[i].text));
    }
    for (const std::string& part : parts) {
      if (part.find(": ") != std::string::npos || (!part.empty() && part.back() == ':') || part.rfind("- ", 0) == 0)
        Fail(first, "the prefix is not a single value");
    }
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    const std::string value = Fold(parts);
    if (value.empty() || value == "~" || value == "null" || value == "Null" || value == "NULL") return std::nullopt;
    const char lead = value.front();
    if (lead == '|' || lead == '>') Fail(first, "a block scalar as the prefix, which Velkor does not read");
    if (lead == '&' || lead == '*' || lead == '!' || lead == '[' || lead == '{' || lead == '@' || lead == '`')
      Fail(first, "a prefix written in YAML that Velkor does not read ('" + value.substr(0, 1) + "')");
    return value;
  }

  // Lines of a multi-line scalar joined: one line break becomes a blank, each empty line a
  // line break.
  static std::string Fold(const std::vector<std::string>& parts) {
    std::string out;
    bool pendingBlank = false;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      if (parts[k].empty()) {
        out += '\n';
        pendingBlank = false;
        continue;
      }
      if (pendingBlank) out += ' ';
      out += parts[k];
      pendingBlank = true;
    }
    return out;
  }

  // A single- or double-quoted scalar starting at lines_[i].text[pos], possibly continued
  // on later lines. Leaves i after its last line.
  std::string Quoted(std::size_t& i, std::size_t pos, char quote) {
    const Line& opening = lines_[i];
    std::string out;
    std::size_t kept = 0;  // out's length up to the last escape, which a line end keeps
    bool joinNext = false;
    const std::string* text = &lines_[i].text;
    ++pos;
    for (;;) {
      if (pos >= text->size()) {
        // The line ends inside the quotes: its trailing blanks go and the break folds into
        // a blank, empty lines into line breaks; an escaped break joins the lines.
        while (out.size() > kept && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
        std::size_t empties = 0;
        for (++i; i < lines_.size() && lines_[i].text.find_first_not_of(" \t") == std::string::npos; ++i) ++empties;
        if (i >= lines_.size()) Fail(opening, "a quoted value that is not closed");
        if (empties > 0) {
          out.append(empties, '\n');
        } else if (!joinNext) {
          out += ' ';
        }
        joinNext = false;
        text = &lines_[i].text;
        pos = text->find_first_not_of(" \t");
        continue;
      }
      const char c = (*text)[pos];
      if (c == quote) {
        if (quote == '\'' && pos + 1 < text->size() && (*text)[pos + 1] == '\'') {
          out += '\'';
          pos += 2;
          continue;
        }
        if (!WithoutComment(text->substr(pos + 1)).empty()) Fail(lines_[i], "text after a quoted value");
        ++i;
        return out;
      }
      if (c == '\\' && quote == '"') {
        if (pos + 1 >= text->size()) {
          joinNext = true;
          kept = out.size();
          ++pos;
          continue;
        }
        pos = Escape(lines_[i], *text, pos, out);
        kept = out.size();
        continue;
      }
      out += c;
      ++pos;
    }
  }

  // One escape sequence of a double-quoted scalar, its backslash at text[pos] and not at the line's
  // end; returns the position after it.
  std::size_t Escape(const Line& line, const std::string& text, std::size_t pos, std::string& out) {
    const char e = text[pos + 1];
    switch (e) {
      case '0': out += '\0'; return pos + 2;
      case 'a': out += '\a'; return pos + 2;
      case 'b': out += '\b'; return pos + 2;
      case 't': case '\t': out += '\t'; return pos + 2;
      case 'n': out += '\n'; return pos + 2;
      case 'v': out += '\v'; return pos + 2;
      case 'f': out += '\f'; return pos + 2;
      case 'r': out += '\r'; return pos + 2;
      case 'e': out += '\x1b'; return pos + 2;
      case ' ': case '"': case '/': case '\\': out += e; return pos + 2;
      case 'N': AppendUtf8(0x85, out); return pos + 2;
      case '_': AppendUtf8(0xA0, out); return pos + 2;
      case 'L': AppendUtf8(0x2028, out); return pos + 2;
      case 'P': AppendUtf8(0x2029, out); return pos + 2;
      case 'x': return Hex(line, text, pos, 2, out);
      case 'u': return Hex(line, text, pos, 4, out);
      case 'U': return Hex(line, text, pos, 8, out);
      default: Fail(line, std::string("an unknown escape '\\") + e + "'");
    }
  }

  std::size_t Hex(const Line& line, const std::string& text, std::size_t pos, std::size_t digits, std::string& out) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
      const int d = pos + 2 + k < text.size() ? HexDigitValue(text[pos + 2 + k]) : -1;
      if (d < 0) Fail(line, "an escape with too few hexadecimal digits");
      value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) Fail(line, "an escape naming no character");
    AppendUtf8(value, out);
    return pos + 2 + digits;
  }

  static void AppendUtf8(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }

  std::string path_;
  std::vector<Line> lines_;
};

}  // namespace

std::optional<std::string> ReadLutrisPrefix(const std::string& path, const std::string& text) {
  return LutrisReader(path, text).Prefix();
}

}  // namespace velkor
