#include "app/ListArchive.h"

#include <iomanip>

#include "archives/VivDirectory.h"
#include "platform/File.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {

void ListArchive(const std::string& archivePath, std::ostream& out) {
  File archive(archivePath, File::Mode::Read);
  const std::uint64_t length = archive.Length();
  const VivLocation whole{&archive, 0, length, ""};
  const VivDirectory directory = ReadVivDirectory(whole);
  CheckVivMembers(whole, directory);

  const auto& entries = directory.entries;
  out << archivePath << ": " << entries.size() << (entries.size() == 1 ? " entry, " : " entries, ") << length
      << " bytes\n";
  // The name comes last: it may hold blanks.
  out << std::right << std::setw(5) << "index" << "  " << std::setw(10) << "offset" << "  " << std::setw(10)
      << "length" << "  " << std::left << std::setw(7) << "kind" << "  name\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const VivEntry& entry = entries[i];
    const std::string kind = TypeTagOf(RecogniseFileKind(entry.name, archive, static_cast<std::uint64_t>(entry.offset),
                                                         static_cast<std::uint64_t>(entry.length)));
    out << std::right << std::setw(5) << i << "  " << std::setw(10) << entry.offset << "  " << std::setw(10)
        << entry.length << "  " << std::left << std::setw(7) << (kind.empty() ? "-" : kind) << "  "
        << PrintableName(entry.name) << "\n";
  }
  out.flush();
}

}  // namespace velkor
