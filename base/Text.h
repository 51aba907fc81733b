#pragma once

// Small text helpers used throughout: ASCII case folding (as registry keys, Wine and file
// systems that ignore case compare names), suffix tests, and the quoted, backslash-escaped
// strings of registry files.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// Only ASCII letters fold; other bytes compare as they are, on every system.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCaseAscii(std::string text);
std::string UpperCaseAscii(std::string text);

bool SameIgnoringCase(std::string_view a, std::string_view b);

bool EndsWith(std::string_view text, std::string_view tail);

// `text` less its last n characters (empty when it is not longer than n).
std::string DropLastCharacters(const std::string& text, std::size_t n);

// The lines of a text split at "\n", each without a "\r" that ends it (CR LF files read
// like LF ones); a text ending with a line break has no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The value of one hexadecimal digit, or -1.
int HexDigitValue(char c);

// How the two registry file formats escape text inside quotes. The registry editor's
// export format escapes only "\" and the quote; Wine's own files also know \n, \r, \t,
// \0 and \xHHHH (a UTF-16 unit, kept when it fits one byte, otherwise '?').
enum class QuoteEscapes { BackslashAndQuote, Wine };

struct QuotedText {
  std::string text;  // the unescaped content
  std::size_t end;   // the position after the closing quote
};

// Reads the quoted string that starts at line[pos] == '"'; nothing when it is not closed.
std::optional<QuotedText> ReadQuoted(std::string_view line, std::size_t pos, QuoteEscapes escapes);

// `text` with "\" and '"' escaped by a backslash.
std::string EscapeQuoted(std::string_view text);

}  // namespace velkor
