#include "support/VivBuilder.h"

#include <stdexcept>

#include "sample/SampleCar.h"

namespace velkor::test {

// The sample generator's packer lays an archive out as the format describes and shares no
// code with the archive classes under test.
Bytes BuildViv(const std::vector<NamedBytes>& members) { return sample::PackArchive(members); }

std::vector<NamedBytes> ParseViv(const Bytes& archive) {
  auto be = [&](std::size_t at) {
    if (at + 4 > archive.size()) throw std::runtime_error("archive too short");
    return (std::uint32_t{archive[at]} << 24) | (std::uint32_t{archive[at + 1]} << 16) |
           (std::uint32_t{archive[at + 2]} << 8) | std::uint32_t{archive[at + 3]};
  };
  if (archive.size() < 16 || archive[0] != 'B' || archive[1] != 'I' || archive[2] != 'G' || archive[3] != 'F')
    throw std::runtime_error("not a BIGF archive");
  if (be(4) != archive.size()) throw std::runtime_error("archive size field disagrees with the file");
  const std::uint32_t count = be(8);
  std::vector<NamedBytes> members;
  std::size_t at = 16;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t offset = be(at);
    const std::uint32_t length = be(at + 4);
    at += 8;
    std::string name;
    while (at < archive.size() && archive[at] != 0) name += static_cast<char>(archive[at++]);
    ++at;
    if (std::size_t{offset} + length > archive.size()) throw std::runtime_error("entry past the end: " + name);
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

}  // namespace velkor::test
