#include "support/VivBuilder.h"

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

}  // namespace velkor::test
