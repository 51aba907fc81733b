// Lutris game files: whatever the text, ReadLutrisPrefix returns a prefix, nothing, or a
// format error naming the file; a prefix it returns is found again when the file is read
// a second time with its lines ending in CR LF.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "settings/LutrisConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::optional<std::string> prefix;
  try {
    prefix = ReadLutrisPrefix("game.yml", text);
  } catch (const FormatError& e) {
    fuzz::Require(std::string(e.what()).rfind("'game.yml': line ", 0) == 0, "an error that names no file and line");
    return 0;
  }
  if (text.find('\r') != std::string::npos) return 0;
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::optional<std::string> again;
  fuzz::Attempt([&] { again = ReadLutrisPrefix("game.yml", crlf); });
  fuzz::Require(again == prefix, "CR LF line ends change the prefix read");
  return 0;
}
