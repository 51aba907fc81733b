#include "support/VivBuilder.h"

#include <stdexcept>

namespace velkor::test {
namespace {

void PutBE(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

}  // namespace

Bytes BuildViv(const std::vector<NamedBytes>& members) {
  std::uint32_t dataStart = 16;
  std::uint32_t total = 0;
  for (const auto& [name, bytes] : members) {
    dataStart += static_cast<std::uint32_t>(name.size() + 9);
    total += static_cast<std::uint32_t>(bytes.size());
  }
  Bytes out = {'B', 'I', 'G', 'F'};
  PutBE(out, dataStart + total);
  PutBE(out, static_cast<std::uint32_t>(members.size()));
  PutBE(out, dataStart);
  std::uint32_t offset = dataStart;
  for (const auto& [name, bytes] : members) {
    PutBE(out, offset);
    PutBE(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    offset += static_cast<std::uint32_t>(bytes.size());
  }
  for (const auto& member : members) out.insert(out.end(), member.second.begin(), member.second.end());
  return out;
}

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

std::vector<std::string> VivNames(const Bytes& archive) {
  std::vector<std::string> names;
  for (const auto& member : ParseViv(archive)) names.push_back(member.first);
  return names;
}

}  // namespace velkor::test
