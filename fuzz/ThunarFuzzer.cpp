// Thunar's custom actions file: merging Velkor's actions into any text never crashes, and
// every action of the user's that the text held survives, unchanged and in order.

#include <pugixml.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "desktop/ThunarActions.h"
#include "fuzz/FuzzSupport.h"

namespace {

// The user's actions (those without Velkor's id) of a parsed document, each as raw XML.
std::vector<std::string> UserActions(const std::string& text, unsigned options) {
  pugi::xml_document document;
  std::vector<std::string> actions;
  if (!document.load_buffer(text.data(), text.size(), options)) return actions;
  for (pugi::xml_node action : document.document_element().children("action")) {
    if (velkor::desktop::IsVelkorActionId(action.child_value("unique-id"))) continue;
    std::ostringstream raw;
    action.print(raw, "", pugi::format_raw);
    actions.push_back(raw.str());
  }
  return actions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto ours = desktop::VelkorThunarActions("/opt/my \"tools\"/velkor%1");
  std::string why;  // why a file is left alone: not looked at here
  const auto merged = desktop::MergeThunarActions(text, ours, why);
  if (!merged) return 0;
  const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                           pugi::parse_doctype | pugi::parse_pi;
  fuzz::Require(UserActions(merged->text, options) == UserActions(text, options), "the user's actions changed");
  const auto again = desktop::MergeThunarActions(merged->text, ours, why);
  fuzz::Require(again && again->removed == static_cast<int>(ours.size()), "Velkor's actions are not replaced once");
  return 0;
}
