#include "desktop/MimeTypes.h"

#include <cstdlib>

#include "base/Text.h"
#include "carp/PerformanceFileNames.h"
#include "files/TextFile.h"
#include "model/FrontEndNames.h"
#include "platform/File.h"

namespace velkor::desktop {
namespace {

// The type that a globs2 text ("weight:type:glob[:flags]" lines) gives "*.<extension>".
std::string TypeInGlobs(const std::string& globs, const std::string& extension) {
  for (const std::string_view lineView : SplitLines(globs)) {
    const std::string line(lineView);
    const auto first = line.find(':');
    const auto second = first == std::string::npos ? first : line.find(':', first + 1);
    if (line.empty() || line.front() == '#' || second == std::string::npos) continue;
    const auto third = line.find(':', second + 1);
    const std::string glob = line.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    if (SameIgnoringCase(glob, "*." + extension)) return line.substr(first + 1, second - first - 1);
  }
  return "";
}

constexpr const char* kPerformanceType = "application/x-carp";

bool IsFrontEndLanguage(const std::string& extension) {
  for (std::string_view language : kFrontEndLanguages)
    if (extension == language) return true;
  return false;
}

std::string OwnTypeFor(const std::string& extension) {
  if (extension == "txt") return kPerformanceType;
  return IsFrontEndLanguage(extension) ? "application/x-fedata-" + extension : "application/x-" + extension;
}

std::string CommentFor(const std::string& extension) {
  if (extension == "txt") return "Car performance data";
  if (extension == "fsh") return "Image archive";
  if (extension == "qfs") return "Compressed image archive";
  return extension == "fce" ? "Car model" : "Car front-end texts (" + extension + ")";
}

std::string XmlGlob(const std::string& pattern) {
  return "    <glob pattern=\"" + pattern + "\" case-sensitive=\"true\"/>\n";
}

bool IsArchiveExtension(const std::string& extension) {
  return extension == "viv" || extension == "fsh" || extension == "qfs";
}

// No globs file of a real system comes near this size.
constexpr std::uint64_t kLargestGlobsFile = 64u << 20;

}  // namespace

std::vector<ClassType> ClassTypes(const std::string& systemGlobs) {
  std::vector<ClassType> types;
  for (const ShellClass* classPointer : DesktopClasses()) {
    const ShellClass& shellClass = *classPointer;
    ClassType type{&shellClass, shellClass.extension ? std::string(shellClass.extension + 1) : "", "", false};
    if (type.extension.empty()) {
      type.mimeType = "inode/directory";
    } else if (type.extension == "viv") {
      type.mimeType = kArchiveType;
      type.defined = true;
    } else if (type.extension == "txt" || IsFrontEndLanguage(type.extension)) {
      // Whole names: a shared-mime-info name outranks any "*.<extension>" of the system's.
      type.mimeType = OwnTypeFor(type.extension);
      type.defined = true;
    } else {
      type.mimeType = TypeInGlobs(systemGlobs, type.extension);
      if (type.mimeType.empty() || type.mimeType == OwnTypeFor(type.extension)) {
        type.mimeType = OwnTypeFor(type.extension);
        type.defined = true;
      }
    }
    types.push_back(std::move(type));
  }
  return types;
}

bool NamedInAnyCase(const ShellClass& shellClass) {
  return shellClass.extension && IsArchiveExtension(shellClass.extension + 1);
}

std::vector<std::string> NamesOf(const ShellClass& shellClass) {
  if (!shellClass.extension) return {};
  const std::string extension = shellClass.extension + 1;
  if (IsArchiveExtension(extension)) return {"*." + extension, "*." + UpperCaseAscii(extension)};
  if (extension == "txt") return {kPerformanceFileNames.begin(), kPerformanceFileNames.end()};
  if (IsFrontEndLanguage(extension)) return {FrontEndFileName(extension)};
  return {std::string("*") + shellClass.extension};
}

std::string SystemGlobs() {
  const char* variable = std::getenv("XDG_DATA_DIRS");
  const std::string folders = variable && *variable ? variable : "/usr/local/share:/usr/share";
  std::string globs;
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (!folder.empty() && folder.front() == '/') globs += ReadTextFileIfPossible(folder + "/mime/globs2", kLargestGlobsFile).value_or("") + "\n";
  }
  return globs;
}

std::string MimePackage(const std::vector<ClassType>& types) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const ClassType& type : types) {
    if (!type.defined) continue;
    xml += "  <mime-type type=\"" + type.mimeType + "\">\n";
    if (type.mimeType == kArchiveType) {
      // The system calls "*.viv" a video format; the higher weight and the signature make
      // these archives ours.
      xml +=
          "    <comment>VIV archive</comment>\n"
          "    <magic priority=\"80\">\n"
          "      <match type=\"string\" value=\"BIGF\" offset=\"0\"/>\n"
          "    </magic>\n"
          "    <glob pattern=\"*.viv\" weight=\"80\"/>\n";
    } else {
      xml += "    <comment>" + CommentFor(type.extension) + "</comment>\n";
      if (type.mimeType == kPerformanceType) xml += "    <sub-class-of type=\"text/plain\"/>\n";
      if (type.extension == "fsh")
        xml += "    <magic>\n      <match type=\"string\" value=\"SHPI\" offset=\"0\"/>\n    </magic>\n";
      if (IsArchiveExtension(type.extension)) {
        xml += "    <glob pattern=\"*." + type.extension + "\"/>\n";
      } else {
        // Case-sensitive: the conversion refuses "CARP.TXT" and "CAR.FCE".
        for (const std::string& name : NamesOf(*type.shellClass)) xml += XmlGlob(name);
      }
    }
    xml += "  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

}  // namespace velkor::desktop
