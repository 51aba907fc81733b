#include "support/VivBuilder.h"

#include <stdexcept>

#include "sample/SampleCar.h"
#include "support/TestSupport.h"

namespace velkor::test {

Bytes BuildViv(const std::vector<NamedBytes>& members) { return sample::PackArchive(members); }

std::vector<NamedBytes> ParseViv(const Bytes& archive) {
  const auto be = [&](std::size_t at) {
    if (at + 4 > archive.size()) throw std::runtime_error("archive too short");
    return std::uint32_t{archive[at]} << 24 | archive[at + 1] << 16 | archive[at + 2] << 8 | archive[at + 3];
  };
  if (archive.size() < 16 || std::string(archive.begin(), archive.begin() + 4) != "BIGF" || be(4) != archive.size())
    throw std::runtime_error("not a BIGF archive of its stored size");
  std::vector<NamedBytes> members;
  std::size_t at = 16;
  for (std::uint32_t i = 0, count = be(8); i < count; ++i) {
    const std::size_t offset = be(at), length = be(at + 4);
    std::string name;
    for (at += 8; at < archive.size() && archive[at] != 0; ++at) name += static_cast<char>(archive[at]);
    if (++at > archive.size() || offset + length > archive.size())
      throw std::runtime_error("entry past the end: " + name);
    members.emplace_back(name, Bytes(archive.begin() + offset, archive.begin() + offset + length));
  }
  if (at != be(12)) throw std::runtime_error("data start field disagrees with the directory");
  return members;
}

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
