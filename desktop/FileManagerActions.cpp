#include "desktop/FileManagerActions.h"

#include <cstring>

#include "carp/PerformanceFileNames.h"
#include "desktop/CommandText.h"
#include "desktop/EntryFiles.h"
#include "model/FrontEndNames.h"
#include "settings/ShellClasses.h"

namespace velkor::desktop {
namespace {

// The names of a class's files that Velkor's commands take, in lower case as they require:
// any archive or model, but only the front-end and performance files' own names.
std::vector<std::string> ClassFileNames(const ShellClass& shellClass) {
  const std::string extension = shellClass.extension ? shellClass.extension + 1 : "";
  if (extension == "txt") return {kPerformanceFileNames.begin(), kPerformanceFileNames.end()};
  for (std::string_view language : kFrontEndLanguages)
    if (extension == language) return {FrontEndFileName(language)};
  return {"*." + extension};
}

bool AppliesToFolders(const Verb& verb) {
  for (const ShellClass* shellClass : ClassesOf(verb))
    if (!shellClass->extension) return true;
  return false;
}

std::string List(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += item + ";";
  return list;
}

// A profile of the action: "%f" first in the command makes the file manager run it once for
// each selected path, and the conditions hold for every path of the selection.
std::string Profile(const std::string& id, const std::string& executable, const Verb& verb,
                    const std::string& mimeTypes, const std::vector<std::string>& names) {
  return "\n[X-Action-Profile " + id + "]\n" +
         "Name=" + verb.label + "\n" +
         "Exec=" + KeyFileCommand(executable, verb.commandSwitch, "%f") + "\n" +
         "MimeTypes=" + mimeTypes + "\n" +
         "Basenames=" + List(names) + "\n" +
         "Matchcase=true\n"
         "SelectionCount=>0\n";
}

std::vector<std::string> FileNamesFor(const char* verbKey) {
  std::vector<std::string> names;
  for (const ShellClass& shellClass : ShellClasses())
    for (const Verb& verb : shellClass.verbs)
      if (shellClass.extension && std::strcmp(verb.key, verbKey) == 0)
        for (std::string& name : ClassFileNames(shellClass)) names.push_back(std::move(name));
  return names;
}

}  // namespace

std::vector<ActionFile> FileManagerActions(const std::string& executable) {
  std::vector<ActionFile> actions;
  for (const Verb& verb : AllVerbs()) {
    const std::vector<std::string> names = FileNamesFor(verb.key);
    std::vector<std::string> profiles;
    if (!names.empty()) profiles.push_back("files");
    if (AppliesToFolders(verb)) profiles.push_back("folders");
    std::string text = std::string("[Desktop Entry]\n") +
                       "Type=Action\n"
                       "Name=" + verb.label + "\n" +
                       "Tooltip=Velkor: " + verb.label + "\n" +
                       "TargetContext=true\n"
                       "Profiles=" + List(profiles) + "\n";
    if (!names.empty()) text += Profile("files", executable, verb, "all/allfiles;", names);
    if (AppliesToFolders(verb)) text += Profile("folders", executable, verb, "inode/directory;", {"*"});
    actions.push_back({"velkor-" + std::to_string(actions.size() + 1) + "-" + verb.key + ".desktop", std::move(text)});
  }
  return actions;
}

}  // namespace velkor::desktop
