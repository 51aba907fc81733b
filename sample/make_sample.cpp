// Writes the synthetic sample: a car for NFS3 and the two games' reference cars.
//   velkor-sample <folder> [--realistic]
// creates <folder>/cars/roadster/car.viv and two game folders, <folder>/nfs3 with
// GameData/CarModel/fm50/car.viv and <folder>/nfs4 with Data/Cars/fm50/car.viv. With
// --realistic it also writes <folder>/cars/realistic/car.viv, a car of a real car's size,
// and gives the NFS4 reference car sound banks of real sizes.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "sample/SampleCar.h"

int main(int argc, char** argv) {
  using namespace velkor;
  const std::vector<std::string> args(argv + 1, argv + argc);
  constexpr const char* kUsage = "usage: velkor-sample FOLDER [--realistic]\n";
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  // A folder name that starts with "-" is an option this program does not know, not a folder.
  const bool realistic = args.size() == 2 && args[1] == "--realistic";
  if ((args.size() != 1 && !realistic) || args[0].starts_with("-")) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    const std::filesystem::path root = argv[1];
    const auto write = [&](const std::filesystem::path& relative, const std::vector<sample::Member>& members) {
      std::filesystem::create_directories((root / relative).parent_path());
      WriteFileAtomically((root / relative).string(), sample::PackArchive(members));
    };
    write("cars/roadster/car.viv", sample::RoadsterCar());
    write("nfs3/GameData/CarModel/fm50/car.viv", sample::Nfs3ReferenceCar());
    write("nfs4/Data/Cars/fm50/car.viv", sample::Nfs4ReferenceCar(realistic));
    if (realistic) write("cars/realistic/car.viv", sample::RealisticCar());
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "velkor-sample: " << e.what() << "\n";
    return 1;
  }
}
