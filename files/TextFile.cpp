#include "files/TextFile.h"

#include "base/Errors.h"
#include "platform/File.h"

namespace velkor {

std::string ReadTextFile(const std::string& path, std::uint64_t largest) {
  platform::File file = platform::File::Open(path, platform::File::ReadExisting);
  if (file.Length() > largest)
    throw FormatError(path, "larger than the " + std::to_string(largest) + " bytes such a file can have");
  std::string text(static_cast<std::size_t>(file.Length()), '\0');
  file.ReadExact(MutableByteView(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
  return text;
}

std::optional<std::string> ReadTextFileIfPossible(const std::string& path, std::uint64_t largest) {
  if (!platform::File::Open(path, platform::File::ReadIfPossible)) return std::nullopt;
  try {
    return ReadTextFile(path, largest);
  } catch (const Error&) {
    return std::nullopt;  // unreadable or absurdly large: treated as absent
  }
}

}  // namespace velkor
