#include "desktop/CommandText.h"

#include "base/Utf8.h"

namespace velkor::desktop {

std::string DoubleQuoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

namespace {

// `text` with every `special` written twice, as formats that escape a character by doubling it.
std::string Doubling(const std::string& text, char special) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == special) out += c;
  }
  return out;
}

}  // namespace

std::string EscapePercent(const std::string& text) { return Doubling(text, '%'); }

std::string KeyFileValue(const std::string& text) { return Doubling(text, '\\'); }

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string WhyPathCannotBeWritten(const std::string& path) {
  if (path.empty()) return "it is empty";
  for (unsigned char c : path)
    if (c < 0x20 || c == 0x7f) return "it holds control characters";
  if (!IsValidUtf8(path)) return "it is not UTF-8 (a folder named in another encoding)";
  if (path.find('%') != std::string::npos) return "it holds a '%', which desktop entries cannot carry";
  return "";
}

std::string KeyFileCommand(const std::string& executable, const std::string& commandSwitch,
                           const std::string& fileCode) {
  return KeyFileValue(EscapePercent(DoubleQuoted(executable)) + " --notify " + commandSwitch + " " + fileCode);
}

}  // namespace velkor::desktop
