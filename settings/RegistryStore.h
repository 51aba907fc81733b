#pragma once

// The text store that stands in for the registry where there is none. Its format is the
// registry editor's export format: "[ROOT\key\path]" sections with "name"="text",
// "name"=dword:0000001f and @="default" lines. Whatever it does not understand is kept
// verbatim, so rewriting the file never loses anything it did not touch.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace velkor {

class RegistryDocument {
 public:
  static RegistryDocument Parse(const std::string& text);
  std::string Serialize() const;

  // fullKey is "ROOT\key\path"; comparisons ignore ASCII case.
  bool HasKey(const std::string& fullKey) const;
  void CreateKey(const std::string& fullKey);
  std::optional<std::string> GetString(const std::string& fullKey, const std::string& name) const;
  std::optional<std::uint32_t> GetDword(const std::string& fullKey, const std::string& name) const;
  void SetString(const std::string& fullKey, const std::string& name, const std::string& value);
  void SetDword(const std::string& fullKey, const std::string& name, std::uint32_t value);
  // Removes the key and every key below it; false when there was none.
  bool DeleteKey(const std::string& fullKey);
  // False when there was no such value.
  bool DeleteValue(const std::string& fullKey, const std::string& name);

 private:
  struct Item {
    enum class Kind { String, Dword, Verbatim } kind = Kind::Verbatim;
    std::string name;  // value name; "" is the default value (written as @)
    std::string text;  // String: the value; Verbatim: the whole line as read
    std::uint32_t dword = 0;
  };
  struct Key {
    std::string path;
    std::vector<Item> items;
  };

  Key* FindKey(const std::string& fullKey);
  const Key* FindKey(const std::string& fullKey) const;
  Item& ValueSlot(const std::string& fullKey, const std::string& name);
  static bool IsValueNamed(const Item& item, const std::string& name);

  std::vector<Item> preamble_;  // lines before the first key, other than the header
  std::vector<Key> keys_;
};

// A Registry over a store file: read once, rewritten atomically after every change. A
// store that is a symbolic link stays one: the file it leads to is rewritten.
class FileRegistry : public Registry {
 public:
  // Raises FileError when the store exists but cannot be read: taking it for empty would
  // replace the user's settings at the first write.
  explicit FileRegistry(std::string storePath);

  RegistryChange CreateKey(RegistryRoot root, const std::string& key) override;
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& name) override;
  std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key, const std::string& name) override;
  RegistryChange WriteString(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value) override;
  RegistryChange WriteDword(RegistryRoot root, const std::string& key, const std::string& name,
                            std::uint32_t value) override;
  RegistryChange DeleteKey(RegistryRoot root, const std::string& key) override;
  RegistryChange DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override;
  std::string Location() const override { return storePath_; }

 private:
  RegistryChange Store();

  std::string storePath_;
  RegistryDocument document_;
};

}  // namespace velkor
