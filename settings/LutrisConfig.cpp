#include "settings/LutrisConfig.h"

#include <yaml.h>

#include <algorithm>
#include <cstring>

#include "base/Errors.h"

namespace velkor {
namespace {

// libyaml's parser and the first document it loaded, released together.
class YamlDocument {
 public:
  YamlDocument(const std::string& path, const std::string& text) : path_(path), text_(text) {
    if (!yaml_parser_initialize(&parser_)) throw FormatError(path, "the YAML reader cannot start");
    yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    if (!yaml_parser_load(&parser_, &document_)) {
      const std::string what =
          "line " + std::to_string(ProblemLine()) + ": " + (parser_.problem ? parser_.problem : "not YAML");
      yaml_parser_delete(&parser_);
      throw FormatError(path, what);
    }
  }
  ~YamlDocument() {
    yaml_document_delete(&document_);
    yaml_parser_delete(&parser_);
  }
  YamlDocument(const YamlDocument&) = delete;
  YamlDocument& operator=(const YamlDocument&) = delete;

  yaml_node_t* Root() { return yaml_document_get_root_node(&document_); }
  yaml_node_t* Node(int index) { return yaml_document_get_node(&document_, index); }

  // The value of the last `key` in a mapping, as the library that writes these files
  // keeps it; nothing when the key is absent.
  yaml_node_t* ValueOf(const yaml_node_t& mapping, const char* key) {
    yaml_node_t* value = nullptr;
    for (const yaml_node_pair_t* pair = mapping.data.mapping.pairs.start; pair < mapping.data.mapping.pairs.top;
         ++pair) {
      const yaml_node_t* name = Node(pair->key);
      if (name && name->type == YAML_SCALAR_NODE && ScalarText(*name) == key) value = Node(pair->value);
    }
    return value;
  }

  [[noreturn]] void Fail(const yaml_node_t& node, const std::string& what) const {
    throw FormatError(path_, "line " + std::to_string(node.start_mark.line + 1) + ": " + what);
  }

  static std::string ScalarText(const yaml_node_t& node) {
    return {reinterpret_cast<const char*>(node.data.scalar.value), node.data.scalar.length};
  }

  // A plain scalar that YAML reads as null ("prefix:", "prefix: ~").
  static bool IsNull(const yaml_node_t& node) {
    if (node.type != YAML_SCALAR_NODE || node.data.scalar.style != YAML_PLAIN_SCALAR_STYLE) return false;
    const std::string text = ScalarText(node);
    return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
  }

 private:
  // Errors in the bytes themselves carry an offset only; the others a position.
  std::size_t ProblemLine() const {
    if (parser_.error != YAML_READER_ERROR) return parser_.problem_mark.line + 1;
    const std::size_t end = std::min(parser_.problem_offset, text_.size());
    return 1 + static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + static_cast<long>(end), '\n'));
  }

  const std::string& path_;
  const std::string& text_;
  yaml_parser_t parser_{};
  yaml_document_t document_{};
};

}  // namespace

std::optional<std::string> ReadLutrisPrefix(const std::string& path, const std::string& text) {
  YamlDocument document(path, text);
  const yaml_node_t* root = document.Root();
  if (!root || root->type != YAML_MAPPING_NODE) return std::nullopt;
  const yaml_node_t* game = document.ValueOf(*root, "game");
  if (!game || YamlDocument::IsNull(*game)) return std::nullopt;
  if (game->type != YAML_MAPPING_NODE) document.Fail(*game, "\"game\" is not a mapping");
  const yaml_node_t* prefix = document.ValueOf(*game, "prefix");
  if (!prefix || YamlDocument::IsNull(*prefix)) return std::nullopt;
  if (prefix->type != YAML_SCALAR_NODE) document.Fail(*prefix, "the prefix is not a single value");
  std::string value = YamlDocument::ScalarText(*prefix);
  if (value.find('\0') != std::string::npos) document.Fail(*prefix, "the prefix holds a NUL character");
  return value;
}

}  // namespace velkor
