#include "desktop/Thumbnailer.h"

#include "desktop/CommandText.h"
#include "desktop/MimeTypes.h"

namespace velkor::desktop {

const std::vector<std::string>& ThumbnailTypes() {
  static const std::vector<std::string> types = {kArchiveType, "application/x-fce", "application/x-fsh",
                                                 "application/x-qfs"};
  return types;
}

std::string ThumbnailerEntry(const std::string& executable) {
  std::string types;
  for (const std::string& type : ThumbnailTypes()) types += type + ";";
  // TryExec is a plain value; Exec a command line whose executable is quoted as desktop
  // entries quote it, with the size, input and output codes the services replace.
  return "[Thumbnailer Entry]\n"
         "TryExec=" + KeyFileValue(executable) + "\n" +
         "Exec=" + KeyFileValue(EscapePercent(DoubleQuoted(executable))) + " --thumbnail %s %i %o\n" +
         "MimeType=" + types + "\n";
}

std::string UserThumbnailerPath(const std::string& dataHome) { return dataHome + "/thumbnailers/velkor.thumbnailer"; }

}  // namespace velkor::desktop
