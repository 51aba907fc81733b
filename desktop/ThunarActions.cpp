#include "desktop/ThunarActions.h"

#include <pugixml.hpp>

#include <sstream>

#include "desktop/CommandText.h"
#include "desktop/EntryFiles.h"
#include "desktop/ThunarFileCheck.h"

namespace velkor::desktop {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_doctype | pugi::parse_pi;

void AddText(pugi::xml_node action, const char* element, const std::string& text) {
  action.append_child(element).text().set(text.c_str());
}

}  // namespace

bool IsVelkorActionId(const std::string& uniqueId) { return uniqueId.rfind("velkor-", 0) == 0; }

std::vector<ThunarAction> VelkorThunarActions(const std::string& executable) {
  std::vector<ThunarAction> actions;
  for (const Verb& verb : AllVerbs()) {
    ThunarAction action;
    action.uniqueId = std::string("velkor-") + verb.key;
    action.name = verb.label;
    // Thunar puts the quoted path of the first selected file in place of %f.
    action.command = EscapePercent(DoubleQuoted(executable)) + " --notify " + verb.commandSwitch + " %f";
    for (const ShellClass* shellClass : ClassesOf(verb)) {
      if (!shellClass->extension) {
        action.directories = true;
        action.patterns = "*";
        continue;
      }
      for (const std::string& name : NamesOf(*shellClass))
        action.patterns += (action.patterns.empty() ? "" : ";") + name;
    }
    actions.push_back(std::move(action));
  }
  return actions;
}

std::optional<MergedActions> MergeThunarActions(const std::string& existing, const std::vector<ThunarAction>& ours,
                                                std::string& why) {
  pugi::xml_document document;
  if (existing.find_first_not_of(" \t\r\n") == std::string::npos) {
    document.append_child(pugi::node_declaration).append_attribute("version").set_value("1.0");
    document.first_child().append_attribute("encoding").set_value("UTF-8");
    document.append_child("actions");
  } else {
    why = WhyThunarCannotRead(existing);
    if (!why.empty()) return std::nullopt;
    document.load_buffer(existing.data(), existing.size(), kParseOptions, pugi::encoding_utf8);
  }
  pugi::xml_node actions = document.document_element();
  if (std::string(actions.name()) != "actions") {
    why = "its root element is <" + std::string(actions.name()) + ">, not Thunar's <actions>";
    return std::nullopt;
  }

  MergedActions merged;
  for (pugi::xml_node action = actions.child("action"); action;) {
    const pugi::xml_node next = action.next_sibling("action");
    if (IsVelkorActionId(action.child_value("unique-id"))) {
      actions.remove_child(action);
      ++merged.removed;
    }
    action = next;
  }
  for (const ThunarAction& own : ours) {
    pugi::xml_node action = actions.append_child("action");
    AddText(action, "icon", "");
    AddText(action, "name", own.name);
    AddText(action, "unique-id", own.uniqueId);
    AddText(action, "command", own.command);
    AddText(action, "description", "Velkor: " + own.name);
    AddText(action, "patterns", own.patterns);
    if (own.directories) {
      action.append_child("directories");
    } else {
      for (const char* kind : {"audio-files", "image-files", "other-files", "text-files", "video-files"})
        action.append_child(kind);
    }
  }
  std::ostringstream out;
  document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
  merged.text = out.str();
  return merged;
}

}  // namespace velkor::desktop
