// `velkor --check` and the installed-car listing on hostile files: the first byte picks the
// name the rest is checked under (and, as a car archive, it is also an installed car). The
// checks only read: nothing may be written, and bad content is reported, never thrown
// beyond the errors the readers raise.

#include <ostream>
#include <streambuf>

#include "app/CheckReport.h"
#include "app/InstalledCars.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr const char* kNames[] = {"car.viv", "car.fce", "fedata.eng", "carp.txt", "car00.tga"};

// Discards what is printed.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  if (size == 0) return 0;
  fuzz::Input input(data, size);
  const std::string name = kNames[data[0] % std::size(kNames)];
  const std::string path = input.Write(name, input.Bytes().subspan(1));
  const std::string game = input.AllowFolder("nfs3") + "/";
  input.AllowFolder("nfs3/GameData");
  input.AllowFolder("nfs3/GameData/CarModel");
  input.AllowFolder("nfs3/GameData/CarModel/in");
  if (name == "car.viv") input.Write("../nfs3/GameData/CarModel/in/car.viv", input.Bytes().subspan(1));
  NullBuffer discard;
  std::ostream out(&discard);
  const GamePaths paths{game, "N/A"};
  fuzz::Attempt([&] { CheckPath(path, paths, out); });
  const auto cars = ListInstalledCars(paths, input.Folder());
  PrintCarsTable(cars, out);
  PrintCarsJson(cars, out);
  fuzz::RequireOnly(input.Folder(), {name}, "checking a file wrote beside it");
  return 0;
}
