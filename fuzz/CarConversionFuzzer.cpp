// Whole-car conversion: the input is a car archive, converted to NFS4 and installed into a
// game folder, and converted to NFS3 beside itself. A failed conversion leaves nothing
// behind; a car converted to NFS4 converts back to NFS3.

#include "app/Workflows.h"
#include "files/AtomicOutput.h"
#include "fuzz/FuzzSupport.h"
#include "sample/SampleCar.h"

namespace {

// The reference files that the first start collects from both games' reference cars.
void WriteReferenceFiles(const std::string& folder) {
  std::vector<velkor::sample::Member> files = velkor::sample::Nfs4ReferenceCar();
  for (const auto& member : velkor::sample::Nfs3ReferenceCar())
    if (member.first == "dash.qfs") files.push_back(member);
  for (const auto& [name, bytes] : files) velkor::WriteFileAtomically(folder + "/" + name, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string program = fuzz::KeptFolder("program", WriteReferenceFiles) + "/";
  const std::string archive = input.Write("car.viv");
  const std::string nfs4 = input.AllowFolder("nfs4") + "/";
  const std::string cars = nfs4 + "Data/Cars";
  input.AllowFolder("nfs4/Data/Cars");
  const std::string kept = input.AllowFolder("kept");

  const bool installed = fuzz::Attempt([&] { ConvertCar(archive, Game::Nfs4, true, program, nfs4, kept); });
  if (installed) {
    fuzz::RequireOnly(cars, {"in"}, "installing a car");
    fuzz::RequireOnly(cars + "/in", {"car.viv"}, "installing a car");
  } else {
    fuzz::RequireOnly(cars, {}, "a failed installation left files in the game");
  }
  fuzz::RequireOnly(input.Folder(), {"car.viv"}, "converting to NFS4");

  const bool beside = fuzz::Attempt([&] { ConvertCar(archive, Game::Nfs3, false, program, nfs4, kept); });
  if (beside) {
    fuzz::RequireOnly(input.Folder(), {"car.viv", "car.vi3"}, "converting to NFS3");
  } else {
    fuzz::RequireOnly(input.Folder(), {"car.viv"}, "a failed conversion to NFS3 left files behind");
  }

  if (installed) {
    fuzz::Require(fuzz::Attempt([&] { ConvertCar(cars + "/in/car.viv", Game::Nfs3, false, program, nfs4, kept); }),
                  "a car converted to NFS4 cannot be converted back to NFS3");
  }
  return 0;
}
