#include "desktop/ThunarFileCheck.h"

#include <pugixml.hpp>

#include <cstring>
#include <set>
#include <string_view>

#include "base/Text.h"
#include "base/Utf8.h"

namespace velkor::desktop {
namespace {

// Parsed as it stands: entity references stay in the text to be checked, and text outside
// the root element is kept (a plain parse would drop it silently).
constexpr unsigned kCheckOptions = (pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                    pugi::parse_doctype | pugi::parse_pi | pugi::parse_fragment) &
                                   ~pugi::parse_escapes;

bool IsXmlCharacter(unsigned long code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Empty when every "&" in `text` starts one of XML's five entities or a character
// reference; a file has no others that its reader knows.
std::string WhyReferencesAreBad(std::string_view text) {
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
    const std::size_t end = text.find(';', amp);
    const std::string_view name = end == std::string_view::npos ? text.substr(amp + 1, 16) : text.substr(amp + 1, end - amp - 1);
    if (end == std::string_view::npos || name.empty()) return "it has a '&' that starts no entity";
    if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") continue;
    if (name[0] == '#') {
      const bool hex = name.size() > 1 && name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      unsigned long code = 0;
      bool valid = !digits.empty() && digits.size() <= 8;
      for (const char c : digits) {
        const int value = hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        valid = valid && value >= 0;
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value < 0 ? 0 : value);
      }
      if (valid && IsXmlCharacter(code)) continue;
      return "it refers to a character XML does not allow ('&" + std::string(name) + ";')";
    }
    return "it uses the entity '&" + std::string(name) + ";', which XML does not define";
  }
  return "";
}

std::string WhyElementIsBad(pugi::xml_node element) {
  std::set<std::string_view> names;
  for (const pugi::xml_attribute attribute : element.attributes()) {
    if (!names.insert(attribute.name()).second)
      return "its element <" + std::string(element.name()) + "> has the attribute '" + attribute.name() + "' twice";
    if (std::strchr(attribute.value(), '<') != nullptr) return "an attribute value holds a '<'";
    if (std::string why = WhyReferencesAreBad(attribute.value()); !why.empty()) return why;
  }
  return "";
}

std::string WhyDeclarationIsBad(pugi::xml_node declaration) {
  const std::string encoding = declaration.attribute("encoding").value();
  if (encoding.empty() || SameIgnoringCase(encoding, "UTF-8")) return "";
  return "it declares the encoding '" + encoding + "', and Velkor reads and writes only UTF-8";
}

// Walks the tree without recursion, so a deep file cannot exhaust the stack, and stops at
// the first level deeper than Thunar's.
std::string WhyTreeIsBad(const pugi::xml_document& document) {
  int roots = 0;
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element) ++roots;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
      return "it has text outside its root element";
    if (node.type() == pugi::node_declaration) {
      if (std::string why = WhyDeclarationIsBad(node); !why.empty()) return why;
    }
  }
  if (roots != 1) return roots == 0 ? "it has no root element" : "it has more than one root element";

  int depth = 1;
  pugi::xml_node node = document.document_element();
  for (;;) {
    if (node.type() == pugi::node_element) {
      if (std::string why = WhyElementIsBad(node); !why.empty()) return why;
    } else if (node.type() == pugi::node_pcdata) {
      if (std::string why = WhyReferencesAreBad(node.value()); !why.empty()) return why;
    }
    if (node.first_child()) {
      if (++depth > kDeepestThunarFile)
        return "it nests deeper than Thunar's actions (more than " + std::to_string(kDeepestThunarFile) + " levels)";
      node = node.first_child();
      continue;
    }
    while (!node.next_sibling()) {
      node = node.parent();
      if (--depth == 0) return "";
    }
    node = node.next_sibling();
  }
}

}  // namespace

std::string WhyThunarCannotRead(const std::string& text) {
  if (!IsValidUtf8(text)) return "it is not UTF-8 text";
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
      return "it holds control characters, which XML does not allow";
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size(), kCheckOptions, pugi::encoding_utf8);
  if (!parsed)
    return "it is not well-formed XML (" + std::string(parsed.description()) + " at byte " +
           std::to_string(parsed.offset) + ")";
  return WhyTreeIsBad(document);
}

}  // namespace velkor::desktop
