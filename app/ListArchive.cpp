#include "app/ListArchive.h"

#include <iomanip>

#include "archives/VivDirectory.h"
#include "platform/File.h"
#include "recogniser/ContentGame.h"
#include "recogniser/OpenGameFile.h"

namespace velkor {
namespace {

// The kind a member would be opened as; an FCE4M model, which is opened as an NFS3 one
// but which neither game reads, is shown as what it is.
std::string KindShown(const VivEntry& entry, platform::File& archive) {
  const auto offset = static_cast<std::uint64_t>(entry.offset);
  const auto length = static_cast<std::uint64_t>(entry.length);
  const FileKind kind = RecogniseFileKind(entry.name, archive, offset, length);
  if (kind == FileKind::Fce3 && IdentifyModel(archive, offset, length).game == ContentGame::Neither) return "FCE4M";
  const std::string tag = TypeTagOf(kind);
  return tag.empty() ? "-" : tag;
}

}  // namespace

void ListArchive(const std::string& archivePath, std::ostream& out) {
  platform::File archive = platform::File::Open(archivePath, platform::File::ReadExisting);
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
    const std::string kind = KindShown(entry, archive);
    out << std::right << std::setw(5) << i << "  " << std::setw(10) << entry.offset << "  " << std::setw(10)
        << entry.length << "  " << std::left << std::setw(7) << kind << "  "
        << PrintableName(entry.name) << "\n";
  }
  out.flush();
}

}  // namespace velkor
