#include "desktop/DesktopIntegration.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "base/Errors.h"
#include "base/Text.h"
#include "desktop/CommandText.h"
#include "desktop/EntryFiles.h"
#include "desktop/FileManagerActions.h"
#include "desktop/MimeTypes.h"
#include "desktop/Thumbnailer.h"
#include "desktop/ThunarActions.h"
#include "desktop/ThunarFileCheck.h"
#include "files/AtomicOutput.h"
#include "files/TextFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Report.h"
#include "settings/UserFolders.h"

namespace velkor::desktop {
namespace {

// Where each kind of entry lives, below the user's data or configuration folder.
struct Places {
  std::string data = UserDataHome();
  std::string config = UserConfigHome();
  std::string MimeFolder() const { return data + "/mime"; }
  std::string MimePackage() const { return data + "/mime/packages/velkor.xml"; }
  std::string ApplicationsFolder() const { return data + "/applications"; }
  std::string ApplicationEntry() const { return data + "/applications/velkor.desktop"; }
  std::string ServiceMenus() const { return data + "/kio/servicemenus"; }
  std::string NemoActions() const { return data + "/nemo/actions"; }
  std::string FileManagerActions() const { return data + "/file-manager/actions"; }
  std::vector<std::string> ScriptFolders() const {
    return {data + "/nautilus/scripts/Velkor", config + "/caja/scripts/Velkor"};
  }
  std::string ThunarActions() const { return config + "/Thunar/uca.xml"; }
};

// A user's uca.xml holds a few dozen actions, a few hundred bytes each; a file near this size
// is not one.
constexpr std::uint64_t kLargestThunarFile = 4u << 20;

// Writes one entry, creating its folder; false (with a warning) when it cannot.
bool WriteEntry(const std::string& path, const std::string& text, bool executable,
                std::vector<std::string>& written) {
  const std::string folder = path.substr(0, path.find_last_of('/'));
  const auto slash = folder.find_last_of('/');
  ProvideUserFolder(folder.substr(0, slash), folder.substr(slash + 1));
  try {
    WriteFileAtomically(path, ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  } catch (const Error& e) {
    platform::ReportWarning(std::string("cannot add Velkor's file-manager entry: ") + e.what());
    return false;
  }
  try {
    if (executable) platform::MakeExecutable(path);
  } catch (const FileError& e) {
    platform::ReportWarning("cannot make '" + path + "' executable (" + e.reason() +
                            "); the file manager will not offer it");
  }
  written.push_back(path);
  return true;
}

void Remove(const std::string& path, std::vector<std::string>& removed) {
  if (platform::RemoveFile(path)) removed.push_back(path);
}

// Velkor's files in a folder of entries of several programs: "velkor-*<suffix>".
void RemoveOwnEntries(const std::string& folder, const std::string& suffix, std::vector<std::string>& removed) {
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    const std::string& name = entry.name;
    if (!entry.isFolder && name.rfind("velkor-", 0) == 0 && name.size() > suffix.size() && EndsWith(name, suffix))
      Remove(entry.fullPath, removed);
  }
}

void RemoveScripts(const Places& places, std::vector<std::string>& removed) {
  for (const std::string& folder : places.ScriptFolders()) {
    for (const Verb& verb : AllVerbs()) Remove(folder + "/" + verb.label, removed);
    platform::RemoveEmptyFolder(folder);  // kept when the user put files of their own there
  }
}

// These programs take a fraction of a second on a user's folders; one that takes longer is
// stuck (a FIFO among the files it reads blocks it for good) and must not hold up the setup.
constexpr std::chrono::milliseconds kHelperTimeLimit{5000};

// Refreshes a cache of the desktop's databases; a warning when its program is missing.
void Refresh(const std::string& program, const std::string& folder) {
  const std::string path = platform::FindProgram(program);
  if (path.empty()) {
    platform::ReportWarning(program + " is not installed: file managers may not see Velkor's entries until '" +
                            program + " " + folder + "' runs");
    return;
  }
  const int status = platform::RunProgram({path, folder}, kHelperTimeLimit);
  if (status == platform::kProgramTimedOut)
    platform::ReportWarning("'" + program + " " + folder + "' was stopped after " +
                            std::to_string(kHelperTimeLimit.count() / 1000) +
                            " seconds without finishing (is something in that folder not a regular file?); file "
                            "managers may not see Velkor's entries until it runs");
  else if (status != 0)
    platform::ReportWarning("'" + program + " " + folder + "' failed (exit status " + std::to_string(status) + ")");
}

// The first of the system's Thunar actions files (XDG_CONFIG_DIRS, most important first)
// that Thunar would read; empty when there is none.
std::string SystemThunarActionsText() {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  const std::string folders = dirs && *dirs ? dirs : "/etc/xdg";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/Thunar/uca.xml";
    start = end + 1;
    if (candidate.front() != '/') continue;
    const std::optional<std::string> text = ReadTextFileIfPossible(candidate, kLargestThunarFile);
    if (text && WhyThunarCannotRead(*text).empty()) return *text;
  }
  return "";
}

// The user's Thunar actions, or the system's defaults when the user has none yet: Thunar
// reads only the user's file once it exists, so starting empty would hide the defaults.
// Raises when the user's file is there but cannot be read (no access, not a regular file, a
// link to nothing, too large): such a file is left as it is.
std::string ThunarActionsText(const std::string& path) {
  if (platform::File::Open(path, platform::File::ReadIfPresent)) return ReadTextFile(path, kLargestThunarFile);
  if (platform::IsSymbolicLink(path)) throw FileError(path, "follow", "the link leads nowhere");
  return SystemThunarActionsText();
}

// Merges `ours` into the Thunar actions file. A file that Velkor cannot read as Thunar's
// is left alone with a warning.
void UpdateThunarActions(const std::string& path, const std::vector<ThunarAction>& ours,
                         std::vector<std::string>& changed) {
  std::string existing;
  try {
    existing = ThunarActionsText(path);
  } catch (const Error& e) {
    platform::ReportWarning(std::string("Thunar's actions left as they are: ") + e.what());
    return;
  }
  std::string why;
  const auto merged = MergeThunarActions(existing, ours, why);
  if (!merged) {
    platform::ReportWarning("'" + path + "' was left as it is: " + why);
    return;
  }
  if (ours.empty() && merged->removed == 0) return;
  // A link (a managed dotfile) stays a link: the file it names is replaced.
  std::error_code error;
  const std::string target =
      platform::IsSymbolicLink(path) ? std::filesystem::canonical(path, error).string() : path;
  if (error) {
    platform::ReportWarning("cannot follow the link '" + path + "': " + error.message());
    return;
  }
  WriteEntry(target, merged->text, false, changed);
}

}  // namespace

std::vector<std::string> RegisterDesktopIntegration(const std::string& executable) {
  std::vector<std::string> written;
  if (const std::string why = WhyPathCannotBeWritten(executable); !why.empty()) {
    platform::ReportWarning("no file-manager entries: the file managers cannot run Velkor from '" + executable +
                            "' (" + why + "); move Velkor to a folder with a plain name and run 'velkor --setup'");
    return written;
  }
  const Places places;
  std::vector<std::string> stale;
  RemoveOwnEntries(places.ServiceMenus(), ".desktop", stale);
  RemoveOwnEntries(places.NemoActions(), ".nemo_action", stale);
  RemoveOwnEntries(places.FileManagerActions(), ".desktop", stale);
  RemoveScripts(places, stale);

  const std::vector<ClassType> types = ClassTypes(SystemGlobs());
  WriteEntry(places.MimePackage(), MimePackage(types), false, written);
  WriteEntry(places.ApplicationEntry(), ApplicationEntry(executable), false, written);
  for (const ClassType& type : types) {
    const std::string name = ClassFileName(*type.shellClass);
    WriteEntry(places.ServiceMenus() + "/velkor-" + name + ".desktop", ServiceMenu(executable, type), true, written);
    for (const Verb& verb : type.shellClass->verbs)
      WriteEntry(places.NemoActions() + "/" + NemoActionName(type, verb),
                 NemoAction(places.ScriptFolders().front() + "/" + verb.label, type, verb), false, written);
  }
  for (const std::string& folder : places.ScriptFolders())
    for (const Verb& verb : AllVerbs()) WriteEntry(folder + "/" + verb.label, VerbScript(executable, verb), true, written);
  for (const ActionFile& action : FileManagerActions(executable))
    WriteEntry(places.FileManagerActions() + "/" + action.name, action.text, false, written);
  UpdateThunarActions(places.ThunarActions(), VelkorThunarActions(executable), written);
  WriteEntry(UserThumbnailerPath(places.data), ThumbnailerEntry(executable), false, written);

  Refresh("update-mime-database", places.MimeFolder());
  Refresh("update-desktop-database", places.ApplicationsFolder());
  return written;
}

std::vector<std::string> UnregisterDesktopIntegration() {
  const Places places;
  std::vector<std::string> removed;
  const bool hadTypes = platform::RemoveFile(places.MimePackage());
  if (hadTypes) removed.push_back(places.MimePackage());
  const bool hadEntry = platform::RemoveFile(places.ApplicationEntry());
  if (hadEntry) removed.push_back(places.ApplicationEntry());
  RemoveOwnEntries(places.ServiceMenus(), ".desktop", removed);
  RemoveOwnEntries(places.NemoActions(), ".nemo_action", removed);
  RemoveOwnEntries(places.FileManagerActions(), ".desktop", removed);
  RemoveScripts(places, removed);
  if (platform::File::Open(places.ThunarActions(), platform::File::ReadIfPossible))
    UpdateThunarActions(places.ThunarActions(), {}, removed);
  Remove(UserThumbnailerPath(places.data), removed);
  if (hadTypes) Refresh("update-mime-database", places.MimeFolder());
  if (hadEntry) Refresh("update-desktop-database", places.ApplicationsFolder());
  return removed;
}

}  // namespace velkor::desktop
