// Writes the synthetic sample: a car for NFS3 and the two games' reference cars.
//   velkor-sample <folder> [--realistic]
// creates <folder>/cars/roadster/car.viv and two game folders, <folder>/nfs3 with
// GameData/CarModel/fm50/car.viv and <folder>/nfs4 with Data/Cars/fm50/car.viv. With
// --realistic it also writes <folder>/cars/realistic/car.viv, a car of a real car's size,
// and gives the NFS4 reference car sound banks of real sizes.

#include <filesystem>
#include <iostream>
#include <string>

#include "base/Errors.h"
#include "files/AtomicOutput.h"
#include "sample/SampleCar.h"

int main(int argc, char** argv) {
  using namespace velkor;
  const bool realistic = argc == 3 && std::string(argv[2]) == "--realistic";
  if (argc != 2 && !realistic) {
    std::cerr << "usage: velkor-sample FOLDER [--realistic]\n";
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
