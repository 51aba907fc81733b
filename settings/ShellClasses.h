#pragma once

// The file classes that Velkor's commands apply to, with their verbs and menu labels: the
// registry's shell verbs and the Linux file managers' menu entries are both made from it.

#include <vector>

namespace velkor {

struct Verb {
  const char* key;  // the verb's registry key name
  const char* label;
  const char* commandSwitch;
};

inline constexpr Verb kPack{"pack", "Pack to new VIV", "/p"};
inline constexpr Verb kExtract{"extract", "Extract to new folder", "/e"};
inline constexpr Verb kConvert3{"convert3", "Convert to NFS3", "/c3"};
inline constexpr Verb kConvertInstall3{"convertinstall3", "Convert to NFS3 and install", "/ci3"};
inline constexpr Verb kConvert4{"convert4", "Convert to NFS4", "/c4"};
inline constexpr Verb kConvertInstall4{"convertinstall4", "Convert to NFS4 and install", "/ci4"};

// Every verb once, in menu order.
inline const std::vector<Verb>& AllVerbs() {
  static const std::vector<Verb> verbs = {kPack, kExtract, kConvert3, kConvertInstall3, kConvert4, kConvertInstall4};
  return verbs;
}

struct ShellClass {
  const char* extension;  // nullptr: the class is not bound to an extension (folders)
  const char* classKey;
  std::vector<Verb> verbs;
};

// In the order the classes are registered; the first verb of a class is its main one.
inline const std::vector<ShellClass>& ShellClasses() {
  static const std::vector<ShellClass> classes = {
      {nullptr, "Folder", {kPack}},
      {".viv", "vivfile", {kExtract, kConvert3, kConvertInstall3, kConvert4, kConvertInstall4}},
      {".fce", "fcefile", {kConvert3, kConvert4}},
      {".eng", "engfile", {kConvert3, kConvert4}},
      {".bri", "brifile", {kConvert3, kConvert4}},
      {".ger", "gerfile", {kConvert3, kConvert4}},
      {".fre", "frefile", {kConvert3, kConvert4}},
      {".ita", "itafile", {kConvert3, kConvert4}},
      {".spa", "spafile", {kConvert3, kConvert4}},
      {".swe", "swefile", {kConvert3, kConvert4}},
      {".txt", "txtfile", {kConvert3, kConvert4}},
  };
  return classes;
}

// Classes that only the Linux file managers get: loose image archives, which "Extract to new
// folder" unpacks. The registry's classes and verbs stay as they are.
inline const std::vector<ShellClass>& DesktopOnlyClasses() {
  static const std::vector<ShellClass> classes = {
      {".fsh", "fshfile", {kExtract}},
      {".qfs", "qfsfile", {kExtract}},
  };
  return classes;
}

// The classes the Linux file managers' entries are made for: the registry's, then the above.
inline const std::vector<const ShellClass*>& DesktopClasses() {
  static const std::vector<const ShellClass*> classes = [] {
    std::vector<const ShellClass*> all;
    for (const ShellClass& shellClass : ShellClasses()) all.push_back(&shellClass);
    for (const ShellClass& shellClass : DesktopOnlyClasses()) all.push_back(&shellClass);
    return all;
  }();
  return classes;
}

}  // namespace velkor
