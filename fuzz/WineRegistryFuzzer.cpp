// Wine's system.reg: on any text, the file read line by line finds what the text in memory
// finds, and a value found in a game's key comes back unchanged when the file's lines end
// in CR LF.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "settings/WineRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> keys = {"Software\\Electronic Arts\\Need For Speed III",
                                         "Software\\Wow6432Node\\Electronic Arts\\Need for Speed High Stakes"};
  const auto read = ReadWineRegistryStrings(input.Write("system.reg"), keys, "InstallPath");
  fuzz::Require(read.has_value() && read->size() == keys.size(), "a registry file that was written is not read");
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const auto value = FindWineRegistryString(text, keys[k], "InstallPath");
    fuzz::Require((*read)[k] == value, "the file read line by line differs from the text");
    if (!value || text.find('\r') != std::string::npos) continue;
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    fuzz::Require(FindWineRegistryString(crlf, keys[k], "InstallPath") == value, "CR LF line ends change the value");
  }
  return 0;
}
