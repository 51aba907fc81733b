#include "platform/Registry.h"

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/Endian.h"
#include "platform/windows/Win32.h"

namespace velkor {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
  }
  return HKEY_CURRENT_USER;
}

Key CreateIn(HKEY root, const std::string& key, LONG& status) {
  HKEY handle = nullptr;
  status = ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &handle,
                             nullptr);
  return Key(status == ERROR_SUCCESS ? handle : nullptr);
}

// Opens the key with full access, creating it and its missing parents. Writing below
// HKEY_CLASSES_ROOT goes to the machine's classes and needs an administrator; for every
// other user the same key below HKEY_CURRENT_USER\Software\Classes gives Explorer the same
// verbs for that user.
Key CreateWritable(RegistryRoot root, const std::string& key, LONG& status) {
  Key handle = CreateIn(RootKey(root), key, status);
  if (!handle && root == RegistryRoot::ClassesRoot && status == ERROR_ACCESS_DENIED)
    handle = CreateIn(HKEY_CURRENT_USER, "Software\\Classes\\" + key, status);
  return handle;
}

Key OpenReadable(RegistryRoot root, const std::string& key, REGSAM view) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) return Key();
  return Key(handle);
}

// The views a value is looked up in. Velkor is a 64-bit program, while the games are
// 32-bit programs whose installers wrote their machine-wide keys into the 32-bit view
// (Software\Wow6432Node): that view is asked when the native one lacks the value.
std::vector<REGSAM> ReadViews(RegistryRoot root) {
  if (root == RegistryRoot::LocalMachine) return {0, KEY_WOW64_32KEY};
  return {0};
}

struct RawValue {
  DWORD type = REG_NONE;
  Bytes data;
};

// Asks for the size first, then reads the data; repeats when the value grew in between.
std::optional<RawValue> QueryValue(HKEY key, const std::string& name) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    RawValue value;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    value.data.resize(size);
    const LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.data.resize(size);
    return value;
  }
  return std::nullopt;
}

std::optional<RawValue> ReadValue(RegistryRoot root, const std::string& key, const std::string& name) {
  for (const REGSAM view : ReadViews(root)) {
    const Key handle = OpenReadable(root, key, view);
    if (!handle) continue;
    if (auto value = QueryValue(handle.get(), name)) return value;
  }
  return std::nullopt;
}

RegistryChange Outcome(LONG status) {
  if (status == ERROR_SUCCESS) return {};
  return {false, platform::SystemMessage(static_cast<DWORD>(status))};
}

class Win32Registry final : public Registry {
 public:
  RegistryChange CreateKey(RegistryRoot root, const std::string& key) override {
    LONG status = ERROR_SUCCESS;
    return Outcome(CreateWritable(root, key, status) ? ERROR_SUCCESS : status);
  }

  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& name) override {
    const auto value = ReadValue(root, key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    // The stored data normally holds the terminating NUL, but nothing guarantees it.
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }

  std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key, const std::string& name) override {
    const auto value = ReadValue(root, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    return ReadU32LE(value->data, 0);
  }

  RegistryChange WriteString(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value) override {
    LONG status = ERROR_SUCCESS;
    const Key handle = CreateWritable(root, key, status);
    if (!handle) return Outcome(status);
    // The text with its terminating NUL.
    return Outcome(::RegSetValueExA(handle.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)));
  }

  RegistryChange WriteDword(RegistryRoot root, const std::string& key, const std::string& name,
                            std::uint32_t value) override {
    LONG status = ERROR_SUCCESS;
    const Key handle = CreateWritable(root, key, status);
    if (!handle) return Outcome(status);
    std::uint8_t data[4] = {};
    WriteU32LE(data, 0, value);
    return Outcome(::RegSetValueExA(handle.get(), name.c_str(), 0, REG_DWORD, data, sizeof data));
  }

  // A class key may live below HKEY_CURRENT_USER\Software\Classes (see CreateWritable) as
  // well as in the machine's classes: both are removed.
  RegistryChange DeleteKey(RegistryRoot root, const std::string& key) override {
    RegistryChange change;
    for (const auto& [rootKey, path] : Places(root, key)) {
      // Given a subkey's name, RegDeleteTree removes that key with everything below it.
      const LONG status = ::RegDeleteTreeA(rootKey, path.c_str());
      if (status != ERROR_FILE_NOT_FOUND && change) change = Outcome(status);
    }
    return change;
  }

  RegistryChange DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override {
    RegistryChange change;
    for (const auto& [rootKey, path] : Places(root, key)) {
      HKEY handle = nullptr;
      const LONG opened = ::RegOpenKeyExA(rootKey, path.c_str(), 0, KEY_SET_VALUE, &handle);
      if (opened == ERROR_FILE_NOT_FOUND) continue;
      if (opened != ERROR_SUCCESS) {
        if (change) change = Outcome(opened);
        continue;
      }
      const Key owner(handle);
      const LONG status = ::RegDeleteValueA(handle, name.c_str());
      if (status != ERROR_FILE_NOT_FOUND && change) change = Outcome(status);
    }
    return change;
  }

  std::string Location() const override { return RootName(RegistryRoot::CurrentUser); }

 private:
  static std::vector<std::pair<HKEY, std::string>> Places(RegistryRoot root, const std::string& key) {
    if (root == RegistryRoot::ClassesRoot)
      return {{HKEY_CURRENT_USER, "Software\\Classes\\" + key}, {HKEY_CLASSES_ROOT, key}};
    return {{RootKey(root), key}};
  }
};

}  // namespace

std::unique_ptr<Registry> platform::OpenNativeRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace velkor
