#pragma once

// The MIME types that the file managers' entries are bound to, one per class of the class
// table, and the shared-mime-info package that defines the ones the system lacks.

#include <string>
#include <vector>

#include "settings/ShellClasses.h"

namespace velkor::desktop {

inline constexpr const char* kArchiveType = "application/x-viv";

struct ClassType {
  const ShellClass* shellClass;
  std::string extension;  // without the dot; empty for folders
  std::string mimeType;
  bool defined = false;  // Velkor's package defines the type
};

// Folders are inode/directory and archives application/x-viv (the system's own name for
// "*.viv", a video format, does not fit). Performance and front-end files get types of
// Velkor's package bound to their whole names, so that no other text file is one. Another
// extension keeps the type the system gives it in `systemGlobs` (the text of
// shared-mime-info's globs2 files); one without gets a type of Velkor's package.
std::vector<ClassType> ClassTypes(const std::string& systemGlobs);

// The names the class's files go by, as case-sensitive shell patterns of a file's name
// ("carp.txt", "*.fce"): the conversion takes only lower-case names; archives are
// recognised by their content, so both spellings of theirs. Empty for folders.
std::vector<std::string> NamesOf(const ShellClass& shellClass);

// Whether a name of the class may be spelled in any case: archives, recognised by content.
bool NamedInAnyCase(const ShellClass& shellClass);

// The globs2 files of the system's data folders ($XDG_DATA_DIRS), one after the other.
std::string SystemGlobs();

// The shared-mime-info package defining the types marked `defined`.
std::string MimePackage(const std::vector<ClassType>& types);

}  // namespace velkor::desktop
