#include "support/VivBuilder.h"

#include <stdexcept>

#include "sample/SampleCar.h"
#include "support/TestSupport.h"

namespace velkor::test {

Bytes BuildViv(const std::vector<NamedBytes>& members) { return sample::PackArchive(members); }

const Bytes& MemberOf(const std::vector<NamedBytes>& members, const std::string& name) {
  for (const auto& member : members)
    if (member.first == name) return member.second;
  throw std::runtime_error("no member " + name);
}

void WriteReferenceCar(const std::string& game, bool nfs4) {
  const std::string folder = game + (nfs4 ? "/data/cars/fm50" : "/gamedata/carmodel/fm50");
  MakeFolder(folder);
  WriteBytes(folder + "/car.viv", BuildViv(nfs4 ? sample::Nfs4ReferenceCar() : sample::Nfs3ReferenceCar()));
}

}  // namespace velkor::test
