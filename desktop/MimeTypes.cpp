#include "desktop/MimeTypes.h"

#include <cstdlib>

#include "base/Text.h"
#include "files/TextFile.h"
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

std::string OwnTypeFor(const std::string& extension) {
  return extension == "fce" ? "application/x-fce" : "application/x-fedata-" + extension;
}

std::string CommentFor(const std::string& extension) {
  return extension == "fce" ? "Car model" : "Car front-end texts (" + extension + ")";
}

// No globs file of a real system comes near this size.
constexpr std::uint64_t kLargestGlobsFile = 64u << 20;

}  // namespace

std::vector<ClassType> ClassTypes(const std::string& systemGlobs) {
  std::vector<ClassType> types;
  for (const ShellClass& shellClass : ShellClasses()) {
    ClassType type{&shellClass, shellClass.extension ? std::string(shellClass.extension + 1) : "", "", false};
    if (type.extension.empty()) {
      type.mimeType = "inode/directory";
    } else if (type.extension == "txt") {
      type.mimeType = "text/plain";  // the system's; never redefined
    } else if (type.extension == "viv") {
      type.mimeType = kArchiveType;
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
      xml += "    <glob pattern=\"*." + type.extension + "\"/>\n";
    }
    xml += "  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

}  // namespace velkor::desktop
