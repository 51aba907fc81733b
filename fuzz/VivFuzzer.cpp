// VIV archives: listing, unpacking (nested archives and FSH members included), packing the
// unpacked members again, and unpacking that result.

#include <set>
#include <sstream>

#include "app/ListArchive.h"
#include "archives/VivArchive.h"
#include "files/RunLifetime.h"
#include "fuzz/FuzzSupport.h"
#include "recogniser/OpenGameFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string path = input.Write("car.viv");

  std::ostringstream listing;
  const bool listed = fuzz::Attempt([&] { ListArchive(path, listing); });

  bool loaded = false;
  bool repacked = false;
  bool distinctNames = true;
  bool fileError = false;
  {
    VivArchive archive(path, &OpenGameFile);
    loaded = fuzz::Attempt([&] {
      try {
        archive.Load();
      } catch (const FileError&) {
        fileError = true;
        throw;
      }
    });
    if (!loaded) fuzz::RequireOnly(input.Folder(), {"car.viv"}, "a refused archive left files behind");
    if (loaded) repacked = fuzz::Attempt([&] { archive.SaveAs(input.Path("again.viv")); });
    std::set<std::string> names;
    for (const VivEntry& entry : archive.entries) distinctNames = names.insert(entry.name).second && distinctNames;
  }
  // Listing makes the same checks as unpacking: both accept an archive or both refuse it,
  // unless the file system refuses what unpacking writes (a name longer than it allows).
  fuzz::Require(listed == loaded || (listed && fileError),
                listed ? "an archive that lists cannot be unpacked" : "an archive that cannot be listed unpacks");
  velkor::EndOfRun();
  if (!loaded) return 0;

  // Of two entries with the same name the later one's bytes are unpacked, and the earlier
  // member no longer matches its file; such an archive need not pack again (no command
  // packs the members of an unpacked archive).
  fuzz::Require(repacked || !distinctNames, "an unpacked archive cannot be packed again");
  if (!repacked) {
    fuzz::RequireOnly(input.Folder(), {"car.viv"}, "a failed packing left files behind");
    return 0;
  }
  fuzz::RequireOnly(input.Folder(), {"car.viv", "again.viv"}, "unpacking and packing left files behind");
  {
    VivArchive again(input.Path("again.viv"), &OpenGameFile);
    fuzz::Require(fuzz::Attempt([&] { again.Load(); }), "a packed archive cannot be unpacked again");
  }
  return 0;
}
