// Wine's system.reg: FindWineRegistryString on any text finds a value or nothing, and a
// value it finds in a game's key comes back unchanged when the file's lines end in CR LF.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "settings/WineRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"Software\\Electronic Arts\\Need For Speed III",
                          "Software\\Wow6432Node\\Electronic Arts\\Need for Speed High Stakes"}) {
    const auto value = FindWineRegistryString(text, key, "InstallPath");
    if (!value || text.find('\r') != std::string::npos) continue;
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    fuzz::Require(FindWineRegistryString(crlf, key, "InstallPath") == value, "CR LF line ends change the value");
  }
  return 0;
}
