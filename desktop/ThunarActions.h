#pragma once

// Thunar's custom actions live in one file shared with the user's own ($XDG_CONFIG_HOME/
// Thunar/uca.xml): Velkor's are told apart by a unique id starting "velkor-", and merging
// replaces exactly those.

#include <optional>
#include <string>
#include <vector>

namespace velkor::desktop {

struct ThunarAction {
  std::string uniqueId;  // starts with "velkor-"
  std::string name;
  std::string command;
  std::string patterns;  // ";"-separated file-name patterns
  bool directories = false;  // true: folders; false: files of every kind
};

// One action per verb, covering every class the verb applies to.
std::vector<ThunarAction> VelkorThunarActions(const std::string& executable);

// True for the unique id of an action of Velkor's own.
bool IsVelkorActionId(const std::string& uniqueId);

struct MergedActions {
  std::string text;
  int removed = 0;  // Velkor's actions that `existing` held
};

// `existing` (the file's text; empty for none) without Velkor's actions, with `ours`
// appended. Nothing, and `why` set, when `existing` is not a document Thunar reads holding
// <actions>: such a file is not Thunar's, or the user is editing it, and is left alone.
std::optional<MergedActions> MergeThunarActions(const std::string& existing, const std::vector<ThunarAction>& ours,
                                                std::string& why);

}  // namespace velkor::desktop
