#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace velkor {

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

// What came of a change to the registry: true when it was made, otherwise false with the
// system's reason, for the warning that the caller gives.
struct RegistryChange {
  bool made = true;
  std::string reason;
  explicit operator bool() const { return made; }
};

// The registry as Velkor uses it: keys below three roots, string and 32-bit values, the
// empty value name standing for a key's default value. Key paths use "\" separators.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens the key, creating it and missing parents.
  virtual RegistryChange CreateKey(RegistryRoot root, const std::string& key) = 0;
  // The value, or nothing when the key or the value is absent or of another type.
  virtual std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                                const std::string& name) = 0;
  virtual std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                                 const std::string& name) = 0;
  // Writes a value, creating the key.
  virtual RegistryChange WriteString(RegistryRoot root, const std::string& key, const std::string& name,
                                     const std::string& value) = 0;
  virtual RegistryChange WriteDword(RegistryRoot root, const std::string& key, const std::string& name,
                                    std::uint32_t value) = 0;
  // Removes the key with its values and every key below it; made also when it never existed.
  virtual RegistryChange DeleteKey(RegistryRoot root, const std::string& key) = 0;
  // Removes one value; made also when it never existed.
  virtual RegistryChange DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) = 0;

  // Where the values live, for messages ("HKEY_CURRENT_USER" or the store file's path).
  virtual std::string Location() const = 0;
};

namespace platform {
// The system's own registry: the Windows registry; nothing where the system has none.
std::unique_ptr<Registry> OpenNativeRegistry();
}  // namespace platform

const char* RootName(RegistryRoot root);

}  // namespace velkor
