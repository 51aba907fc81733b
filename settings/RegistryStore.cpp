#include "settings/RegistryStore.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/Errors.h"
#include "base/Text.h"
#include "files/AtomicOutput.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace velkor {
namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

bool ParseDword(const std::string& digits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return true;
}

}  // namespace

RegistryDocument RegistryDocument::Parse(const std::string& text) {
  RegistryDocument doc;
  std::vector<Item>* items = &doc.preamble_;
  bool first = true;
  for (const std::string_view lineView : SplitLines(text)) {
    const std::string line(lineView);
    const bool isFirst = std::exchange(first, false);
    if (isFirst && (line.rfind(kHeader, 0) == 0 || line.rfind("REGEDIT4", 0) == 0)) continue;
    if (line.find_first_not_of(" \t") == std::string::npos) continue;

    Item item;
    item.text = line;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      doc.keys_.push_back(Key{line.substr(1, line.size() - 2), {}});
      items = &doc.keys_.back().items;
      continue;
    }
    if (line.front() == '"' || line.front() == '@') {
      std::optional<QuotedText> name;
      if (line.front() == '"') name = ReadQuoted(line, 0, QuoteEscapes::BackslashAndQuote);
      const std::size_t pos = line.front() == '@' ? 1 : (name ? name->end : std::string::npos);
      if (pos != std::string::npos && pos < line.size() && line[pos] == '=') {
        const std::string value = line.substr(pos + 1);
        item.name = name ? name->text : std::string();
        std::optional<QuotedText> str;
        if (!value.empty() && value.front() == '"') str = ReadQuoted(value, 0, QuoteEscapes::BackslashAndQuote);
        std::uint32_t dword = 0;
        if (str && str->end == value.size()) {
          item.kind = Item::Kind::String;
          item.text = str->text;
        } else if (value.rfind("dword:", 0) == 0 && ParseDword(value.substr(6), dword)) {
          item.kind = Item::Kind::Dword;
          item.dword = dword;
        }
      }
    }
    items->push_back(std::move(item));
  }
  return doc;
}

std::string RegistryDocument::Serialize() const {
  auto writeItem = [](std::string& out, const Item& item) {
    if (item.kind == Item::Kind::Verbatim) {
      out += item.text;
    } else {
      if (item.name.empty()) {
        out += '@';
      } else {
        out += '"';
        out += EscapeQuoted(item.name);
        out += '"';
      }
      if (item.kind == Item::Kind::String) {
        out += "=\"";
        out += EscapeQuoted(item.text);
        out += '"';
      } else {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(item.dword));
        out += std::string("=dword:") + digits;
      }
    }
    out += '\n';
  };
  std::string out = std::string(kHeader) + "\n\n";
  for (const Item& item : preamble_) writeItem(out, item);
  if (!preamble_.empty()) out += '\n';
  for (const Key& key : keys_) {
    out += "[" + key.path + "]\n";
    for (const Item& item : key.items) writeItem(out, item);
    out += '\n';
  }
  return out;
}

RegistryDocument::Key* RegistryDocument::FindKey(const std::string& fullKey) {
  for (Key& key : keys_)
    if (SameIgnoringCase(key.path, fullKey)) return &key;
  return nullptr;
}

const RegistryDocument::Key* RegistryDocument::FindKey(const std::string& fullKey) const {
  return const_cast<RegistryDocument*>(this)->FindKey(fullKey);
}

bool RegistryDocument::HasKey(const std::string& fullKey) const { return FindKey(fullKey) != nullptr; }

void RegistryDocument::CreateKey(const std::string& fullKey) {
  if (!FindKey(fullKey)) keys_.push_back(Key{fullKey, {}});
}

std::optional<std::string> RegistryDocument::GetString(const std::string& fullKey, const std::string& name) const {
  if (const Key* key = FindKey(fullKey))
    for (const Item& item : key->items)
      if (item.kind == Item::Kind::String && SameIgnoringCase(item.name, name)) return item.text;
  return std::nullopt;
}

std::optional<std::uint32_t> RegistryDocument::GetDword(const std::string& fullKey, const std::string& name) const {
  if (const Key* key = FindKey(fullKey))
    for (const Item& item : key->items)
      if (item.kind == Item::Kind::Dword && SameIgnoringCase(item.name, name)) return item.dword;
  return std::nullopt;
}

RegistryDocument::Item& RegistryDocument::ValueSlot(const std::string& fullKey, const std::string& name) {
  CreateKey(fullKey);
  Key& key = *FindKey(fullKey);
  for (Item& item : key.items)
    if (IsValueNamed(item, name)) return item;
  key.items.push_back(Item{Item::Kind::Verbatim, name, {}, 0});
  return key.items.back();
}

bool RegistryDocument::IsValueNamed(const Item& item, const std::string& name) {
  const bool isValue =
      item.kind != Item::Kind::Verbatim || !item.name.empty() || (!item.text.empty() && item.text.front() == '@');
  return isValue && SameIgnoringCase(item.name, name);
}

bool RegistryDocument::DeleteKey(const std::string& fullKey) {
  const std::string below = fullKey + "\\";
  const auto removed = std::erase_if(keys_, [&](const Key& key) {
    return SameIgnoringCase(key.path, fullKey) ||
           (key.path.size() > below.size() && SameIgnoringCase(key.path.substr(0, below.size()), below));
  });
  return removed != 0;
}

bool RegistryDocument::DeleteValue(const std::string& fullKey, const std::string& name) {
  Key* key = FindKey(fullKey);
  return key && std::erase_if(key->items, [&](const Item& item) { return IsValueNamed(item, name); }) != 0;
}

void RegistryDocument::SetString(const std::string& fullKey, const std::string& name, const std::string& value) {
  Item& item = ValueSlot(fullKey, name);
  item.kind = Item::Kind::String;
  item.name = name;
  item.text = value;
}

void RegistryDocument::SetDword(const std::string& fullKey, const std::string& name, std::uint32_t value) {
  Item& item = ValueSlot(fullKey, name);
  item.kind = Item::Kind::Dword;
  item.name = name;
  item.dword = value;
}

namespace {
std::string FullKey(RegistryRoot root, const std::string& key) { return std::string(RootName(root)) + "\\" + key; }
}  // namespace

FileRegistry::FileRegistry(std::string storePath) : storePath_(std::move(storePath)) {
  try {
    std::optional<platform::File> file = platform::File::Open(storePath_, platform::File::ReadIfPresent);
    if (!file) return;
    Bytes bytes(static_cast<std::size_t>(file->Length()));
    file->ReadExact(bytes);
    document_ = RegistryDocument::Parse(std::string(bytes.begin(), bytes.end()));
  } catch (const FileError& e) {
    throw FileError(storePath_, "read the settings store", e.reason());
  }
}

RegistryChange FileRegistry::CreateKey(RegistryRoot root, const std::string& key) {
  if (document_.HasKey(FullKey(root, key))) return {};
  document_.CreateKey(FullKey(root, key));
  return Store();
}

std::optional<std::string> FileRegistry::ReadString(RegistryRoot root, const std::string& key,
                                                    const std::string& name) {
  return document_.GetString(FullKey(root, key), name);
}

std::optional<std::uint32_t> FileRegistry::ReadDword(RegistryRoot root, const std::string& key,
                                                     const std::string& name) {
  return document_.GetDword(FullKey(root, key), name);
}

RegistryChange FileRegistry::WriteString(RegistryRoot root, const std::string& key, const std::string& name,
                                         const std::string& value) {
  document_.SetString(FullKey(root, key), name, value);
  return Store();
}

RegistryChange FileRegistry::WriteDword(RegistryRoot root, const std::string& key, const std::string& name,
                                        std::uint32_t value) {
  document_.SetDword(FullKey(root, key), name, value);
  return Store();
}

RegistryChange FileRegistry::DeleteKey(RegistryRoot root, const std::string& key) {
  if (!document_.DeleteKey(FullKey(root, key))) return {};
  return Store();
}

RegistryChange FileRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
  if (!document_.DeleteValue(FullKey(root, key), name)) return {};
  return Store();
}

RegistryChange FileRegistry::Store() {
  try {
    const std::string text = document_.Serialize();
    WriteFileAtomically(platform::FinalTarget(storePath_),
                        ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    return {};
  } catch (const FileError& e) {
    return {false, e.reason()};
  }
}

}  // namespace velkor
