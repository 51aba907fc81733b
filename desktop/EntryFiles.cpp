#include "desktop/EntryFiles.h"

#include <cstring>

#include "base/Text.h"
#include "desktop/CommandText.h"

namespace velkor::desktop {
namespace {

const ShellClass& ArchiveClass() {
  for (const ShellClass& shellClass : ShellClasses())
    if (shellClass.extension && std::strcmp(shellClass.extension, ".viv") == 0) return shellClass;
  return ShellClasses().front();
}

// The shell patterns of a path whose file name is one of the class's names.
std::string PathPatterns(const ShellClass& shellClass) {
  std::string patterns;
  for (const std::string& name : NamesOf(shellClass))
    patterns += (patterns.empty() ? "" : "|") + (name.front() == '*' ? name : "*/" + name);
  return patterns;
}

}  // namespace

std::vector<const ShellClass*> ClassesOf(const Verb& verb) {
  std::vector<const ShellClass*> classes;
  for (const ShellClass* shellClass : DesktopClasses())
    for (const Verb& candidate : shellClass->verbs)
      if (std::strcmp(candidate.key, verb.key) == 0) classes.push_back(shellClass);
  return classes;
}

std::string ClassFileName(const ShellClass& shellClass) { return LowerCaseAscii(shellClass.classKey); }

std::string ApplicationEntry(const std::string& executable) {
  const ShellClass& archives = ArchiveClass();
  std::string actions;
  for (std::size_t i = 1; i < archives.verbs.size(); ++i) actions += std::string(archives.verbs[i].key) + ";";
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Version=1.4\n"
      "Name=Velkor\n"
      "Comment=" + std::string(archives.verbs.front().label) + "\n"
      "NoDisplay=true\n"
      "Terminal=false\n"
      "MimeType=" + std::string(kArchiveType) + ";\n"
      "Exec=" + KeyFileCommand(executable, archives.verbs.front().commandSwitch, "%f") + "\n"
      "Actions=" + actions + "\n";
  for (std::size_t i = 1; i < archives.verbs.size(); ++i) {
    const Verb& verb = archives.verbs[i];
    text += std::string("\n[Desktop Action ") + verb.key + "]\nName=" + verb.label + "\nExec=" +
            KeyFileCommand(executable, verb.commandSwitch, "%f") + "\n";
  }
  return text;
}

std::string ServiceMenu(const std::string& executable, const ClassType& type) {
  std::string actions;
  for (const Verb& verb : type.shellClass->verbs) actions += std::string(verb.key) + ";";
  std::string text =
      "[Desktop Entry]\n"
      "Type=Service\n"
      "Name=Velkor\n"
      "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
      "MimeType=" + type.mimeType + ";\n"
      "Actions=" + actions + "\n";
  for (const Verb& verb : type.shellClass->verbs) {
    text += std::string("\n[Desktop Action ") + verb.key + "]\nName=" + verb.label + "\nExec=" +
            KeyFileCommand(executable, verb.commandSwitch, "%f") + "\n";
  }
  return text;
}

std::string NemoAction(const std::string& script, const ClassType& type, const Verb& verb) {
  // Nemo compares extensions ignoring case, so the files whose names matter (the conversion
  // takes "carp.txt", never "CARP.TXT" nor every text file) are chosen by their type.
  std::string files = "Mimetypes=" + type.mimeType + ";";
  if (type.extension.empty()) files = "Extensions=dir;";
  if (NamedInAnyCase(*type.shellClass)) files = "Extensions=" + type.extension + ";";
  // The verb's script runs it on each selected path in turn: Velkor takes one path a command.
  return std::string("[Nemo Action]\n") + "Name=" + verb.label + "\n" + "Comment=Velkor: " + verb.label + "\n" +
         "Exec=" + KeyFileValue(EscapePercent("/bin/sh " + DoubleQuoted(script)) + " %F") + "\n" +
         "Selection=notnone\n" + files + "\n" + "Quote=double\n";
}

std::string NemoActionName(const ClassType& type, const Verb& verb) {
  // Nemo orders a menu's actions by file name: the verb's place in its class keeps the
  // class's order (Extract, NFS3, NFS3 and install, ...) instead of the alphabet's.
  const std::vector<Verb>& verbs = type.shellClass->verbs;
  std::size_t place = 0;
  while (place < verbs.size() && std::strcmp(verbs[place].key, verb.key) != 0) ++place;
  return "velkor-" + ClassFileName(*type.shellClass) + "-" + std::to_string(place + 1) + "-" + verb.key + ".nemo_action";
}

std::string VerbScript(const std::string& executable, const Verb& verb) {
  std::string fits;
  for (const ShellClass* shellClass : ClassesOf(verb)) {
    if (!shellClass->extension) {
      fits += "  [ -d \"$1\" ] && return 0\n";
    } else {
      fits += "  case $1 in " + PathPatterns(*shellClass) + ") [ ! -d \"$1\" ] && return 0;; esac\n";
    }
  }
  const std::string label = verb.label;
  return "#!/bin/sh\n"
         "# Velkor: " + label + ", on each selected path it applies to.\n"
         "# Written by Velkor's setup; \"velkor --unregister\" removes it.\n"
         "velkor=" + ShellQuoted(executable) + "\n"
         "status=0\n"
         "fits() {\n" + fits + "  return 1\n}\n"
         "run() {\n"
         "  if fits \"$1\"; then\n"
         "    \"$velkor\" --notify " + verb.commandSwitch + " \"$1\" || status=1\n"
         "  else\n"
         "    refuse \"'$1' is not something '" + label + "' applies to; it was left as it is\"\n"
         "  fi\n"
         "}\n"
         "# Velkor reports it, on the desktop too; a Velkor that is gone leaves stderr only.\n"
         "refuse() {\n"
         "  if [ -x \"$velkor\" ]; then \"$velkor\" --notify --refuse \"$1\"; else echo \"velkor: $1\" >&2; fi\n"
         "  status=1\n"
         "}\n"
         "# The file manager passes the selected names, relative to the folder it starts the\n"
         "# script in; only when it passes none are the paths taken from its variable.\n"
         "if [ $# -gt 0 ]; then\n"
         "  for path in \"$@\"; do\n"
         "    case $path in /*) run \"$path\" ;; *) run \"$PWD/$path\" ;; esac\n"
         "  done\n"
         "  exit $status\n"
         "fi\n"
         "# One absolute path per line, each line ended by a line break: a name holding a line\n"
         "# break cannot be told apart, and the URIs (which encode it) say how many there are.\n"
         "paths=${NAUTILUS_SCRIPT_SELECTED_FILE_PATHS-${CAJA_SCRIPT_SELECTED_FILE_PATHS-}}\n"
         "uris=${NAUTILUS_SCRIPT_SELECTED_URIS-${CAJA_SCRIPT_SELECTED_URIS-}}\n"
         "newline='\n'\n"
         "paths=${paths%\"$newline\"}\n"
         "[ -z \"$paths\" ] && exit 0\n"
         "count=0\n"
         "while IFS= read -r path; do\n"
         "  case $path in /*) count=$((count + 1)) ;; *) count=-1; break ;; esac\n"
         "done <<END_OF_PATHS\n"
         "$paths\n"
         "END_OF_PATHS\n"
         "uriCount=0\n"
         "while IFS= read -r uri; do\n"
         "  if [ -n \"$uri\" ]; then uriCount=$((uriCount + 1)); fi\n"
         "done <<END_OF_URIS\n"
         "$uris\n"
         "END_OF_URIS\n"
         "if [ $count -lt 0 ] || { [ -n \"$uris\" ] && [ $count -ne $uriCount ]; }; then\n"
         "  refuse \"a selected name holds a line break, so the selected paths cannot be told apart; nothing was done (rename it and try again)\"\n"
         "  exit 1\n"
         "fi\n"
         "while IFS= read -r path; do run \"$path\"; done <<END_OF_PATHS\n"
         "$paths\n"
         "END_OF_PATHS\n"
         "exit $status\n";
}

}  // namespace velkor::desktop
