// Hostile archives through the real program: "/e" on mutated archives, and "/ci4" and "/c3"
// on mutated cars. Whatever the bytes, the program ends with 0 or 1, says why it failed,
// writes only inside the archive's folder (and, when installing, the car's folder in the
// game) and leaves nothing behind when it fails.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "cli/HostileSupport.h"
#include "sample/SampleCar.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::Mutation;
using test::NamedBytes;

// Where the parts of an archive built by BuildViv from `members` lie, from the format:
// a 16-byte header, per entry offset, length and NUL-terminated name, then the data.
struct ArchiveLayout {
  std::vector<std::size_t> entryAt;  // offset and length fields
  std::vector<std::size_t> nameEnd;  // the name's NUL
  std::vector<std::size_t> dataAt;
  std::vector<std::size_t> dataEnd;
  std::size_t total = 0;
};

ArchiveLayout LayoutOf(const std::vector<NamedBytes>& members) {
  ArchiveLayout layout;
  std::size_t at = 16;
  for (const auto& [name, bytes] : members) {
    layout.entryAt.push_back(at);
    layout.nameEnd.push_back(at + 8 + name.size());
    at += name.size() + 9;
  }
  for (const auto& [name, bytes] : members) {
    layout.dataAt.push_back(at);
    at += bytes.size();
    layout.dataEnd.push_back(at);
  }
  layout.total = at;
  return layout;
}

// Every structural boundary of the archive, and a byte either side of each.
std::vector<std::size_t> Boundaries(const ArchiveLayout& layout) {
  std::vector<std::size_t> cuts = {0, 3, 4, 8, 12, 15, 16};
  for (std::size_t i = 0; i < layout.entryAt.size(); ++i) {
    for (std::size_t at : {layout.entryAt[i] + 4, layout.entryAt[i] + 8, layout.entryAt[i] + 9, layout.nameEnd[i],
                           layout.nameEnd[i] + 1, layout.dataAt[i] + 1, layout.dataEnd[i] - 1, layout.dataEnd[i]})
      cuts.push_back(at);
  }
  return cuts;
}

void PutU32BE(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::vector<NamedBytes> Renamed(std::vector<NamedBytes> members, std::size_t index, const std::string& name) {
  members.at(index).first = name;
  return members;
}

std::vector<NamedBytes> Replaced(std::vector<NamedBytes> members, const std::string& name, const Bytes& bytes) {
  for (auto& member : members)
    if (member.first == name) member.second = bytes;
  return members;
}

std::vector<NamedBytes> Without(std::vector<NamedBytes> members, const std::string& name) {
  std::erase_if(members, [&](const NamedBytes& m) { return m.first == name; });
  return members;
}

const Bytes& MemberOf(const std::vector<NamedBytes>& members, const std::string& name) {
  for (const auto& member : members)
    if (member.first == name) return member.second;
  throw std::runtime_error("no member " + name);
}

// A hostile case: its bytes and, where the answer is clear, the exit status it must give.
struct Case {
  Mutation mutation;
  std::optional<int> expected;
};

void Add(std::vector<Case>& cases, std::vector<Mutation> mutations, std::optional<int> expected = std::nullopt) {
  for (auto& m : mutations) cases.push_back({std::move(m), expected});
}

// Mutations of the directory and layout of the archive of `members`, whatever they hold.
std::vector<Case> DirectoryMutations(const std::vector<NamedBytes>& members, const std::string& absoluteName) {
  const Bytes archive = test::BuildViv(members);
  const ArchiveLayout layout = LayoutOf(members);
  const auto count = static_cast<std::uint32_t>(members.size());
  const auto total = static_cast<std::uint32_t>(layout.total);
  std::vector<Case> cases;

  Add(cases, test::Truncations(archive, Boundaries(layout)), 1);
  Add(cases, test::FieldValues(archive, 8, true, "fileCount", {count + 1}), 1);
  // The stored archive size and data start are never relied on.
  Add(cases, test::FieldValues(archive, 4, true, "archiveSize", {0}), 0);
  Add(cases, test::FieldValues(archive, 12, true, "dataStart", {0}), 0);
  for (std::size_t i : {std::size_t{0}, members.size() - 1}) {
    const std::string entry = "entry " + std::to_string(i);
    Add(cases, test::FieldValues(archive, layout.entryAt[i], true, entry + " offset", {total}), 1);
    Add(cases, test::FieldValues(archive, layout.entryAt[i] + 4, true, entry + " length", {total, total + 1}), 1);
  }

  // Overlapping entries: the second starts inside the first; all share the first's bytes;
  // one reaches back over the directory.
  {
    Bytes overlap = archive;
    PutU32BE(overlap, layout.entryAt[1], static_cast<std::uint32_t>(layout.dataAt[0] + 1));
    cases.push_back({{"entry 1 starts inside entry 0", overlap}, std::nullopt});
    Bytes shared = archive;
    for (std::size_t i = 0; i < members.size(); ++i) {
      PutU32BE(shared, layout.entryAt[i], static_cast<std::uint32_t>(layout.dataAt[0]));
      PutU32BE(shared, layout.entryAt[i] + 4, static_cast<std::uint32_t>(layout.dataEnd[0] - layout.dataAt[0]));
    }
    cases.push_back({{"every entry holds entry 0's bytes", shared}, std::nullopt});
    Bytes header = archive;
    PutU32BE(header, layout.entryAt[0], 0);
    cases.push_back({{"entry 0 starts at the header", header}, std::nullopt});
  }

  // Names that would leave the folder, or that no folder can hold.
  for (const std::string& name :
       {std::string("../escaped.txt"), std::string("../../escaped.txt"), std::string(".."), std::string("."),
        std::string(""), std::string("sub/x.txt"), std::string("sub\\..\\..\\x.txt"), std::string("..\\escaped.txt"),
        std::string("C:escaped.txt"), absoluteName, std::string(257, 'n'), std::string(300, 'n'), std::string(1000, 'n')})
    cases.push_back({{"entry 0 named '" + name.substr(0, 40) + "'", test::BuildViv(Renamed(members, 0, name))}, 1});
  // The format allows 256 bytes; most file systems hold 255, so the longest name may fail
  // to be created, cleanly.
  cases.push_back({{"a name of 255 bytes", test::BuildViv(Renamed(members, 0, std::string(255, 'n')))}, 0});
  cases.push_back({{"a name of 256 bytes", test::BuildViv(Renamed(members, 0, std::string(256, 'n')))}, std::nullopt});
  {
    // The last name runs to the end of the file without its NUL.
    Bytes unterminated = test::BuildViv({{"a", {}}, {std::string(40, 'n'), {}}});
    unterminated.pop_back();
    cases.push_back({{"a name without its NUL", unterminated}, 1});
  }
  cases.push_back({{"two entries of one name", test::BuildViv(Renamed(members, 1, members[0].first))}, std::nullopt});
  return cases;
}

// Mutations of archives inside the archive.
std::vector<Case> NestedMutations(const std::string& absoluteName) {
  const std::vector<NamedBytes> inner = {{"a.txt", test::ToBytes("inner a")}, {"b.txt", test::ToBytes("inner b")}};
  const auto nest = [](const std::string& name, const Bytes& bytes) {
    return test::BuildViv({{"outer.txt", test::ToBytes("outer")}, {name, bytes}});
  };
  std::vector<Case> cases;
  cases.push_back({{"a nested archive", nest("inner.viv", test::BuildViv(inner))}, 0});
  for (const std::string& name : {std::string("../escaped.txt"), absoluteName, std::string(257, 'n')})
    cases.push_back({{"a nested entry named '" + name.substr(0, 40) + "'", nest("inner.viv", test::BuildViv(Renamed(inner, 0, name)))}, 1});
  for (auto& m : test::FieldValues(test::BuildViv(inner), 8, true, "nested fileCount"))
    cases.push_back({{m.label, nest("inner.viv", m.bytes)}, 1});
  for (auto& m : test::Truncations(test::BuildViv(inner), {0, 10, 16, 30}))
    cases.push_back({{"nested " + m.label, nest("inner.viv", m.bytes)}, 1});
  cases.push_back({{"a nested archive named '.viv'", nest(".viv", test::BuildViv(inner))}, 1});
  cases.push_back({{"a nested archive named '...viv'", nest("...viv", test::BuildViv(inner))}, 1});
  cases.push_back({{"a nested archive whose folder is a member file",
                    test::BuildViv({{"inner", test::ToBytes("file")}, {"inner.viv", test::BuildViv(inner)}})},
                   1});
  Bytes deep = test::BuildViv(inner);
  for (int level = 0; level < 40; ++level) deep = test::BuildViv({{"level.viv", deep}});
  cases.push_back({{"archives nested 40 deep", deep}, 1});
  return cases;
}

// Members whose own kind cannot read them stay plain files: the unpack still succeeds.
std::vector<Case> MemberMutations(const std::vector<NamedBytes>& members) {
  std::vector<Case> cases;
  const Bytes& model = MemberOf(members, "car.fce");
  for (auto& m : test::FieldValues(model, 4, false, "car.fce recordCount"))
    cases.push_back({{m.label, test::BuildViv(Replaced(members, "car.fce", m.bytes))}, 0});
  for (auto& m : test::FieldValues(model, 0x10, false, "car.fce block 1 offset"))
    cases.push_back({{m.label, test::BuildViv(Replaced(members, "car.fce", m.bytes))}, 0});
  const Bytes& images = MemberOf(members, "fedata.fsh");
  for (auto& m : test::FieldValues(images, 8, false, "fedata.fsh count"))
    cases.push_back({{m.label, test::BuildViv(Replaced(members, "fedata.fsh", m.bytes))}, 0});
  for (auto& m : test::FieldValues(images, 20, false, "fedata.fsh record offset"))
    cases.push_back({{m.label, test::BuildViv(Replaced(members, "fedata.fsh", m.bytes))}, 0});
  Bytes texture = MemberOf(members, "car00.tga");
  texture.at(12) = texture.at(13) = texture.at(14) = texture.at(15) = 0xFF;
  cases.push_back({{"a 65535 x 65535 texture", test::BuildViv(Replaced(members, "car00.tga", texture))}, 0});
  return cases;
}

// Runs each case in a folder of its own, which is removed afterwards. `arguments` gives the
// command line for a folder, and the folders (relative to the home) that a success may change.
template <typename Arguments>
void RunCases(const test::HostileHome& home, const std::vector<Case>& cases, const std::string& what,
              Arguments arguments) {
  int index = 0;
  for (const Case& c : cases) {
    const std::string folder = "case" + std::to_string(index++);
    test::MakeFolder(home / folder);
    test::WriteBytes(home / (folder + "/car.viv"), c.mutation.bytes);
    const auto [args, mayChange] = arguments(folder);
    const std::string label = what + ", " + c.mutation.label;
    const int status = test::RunOnHostileInput(home, args, mayChange, label);
    if (c.expected) {
      EXPECT_EQ(status, *c.expected) << label;
    }
    std::filesystem::remove_all(home / folder);
    for (const std::string& changed : mayChange) std::filesystem::remove_all(home / changed);
  }
}

using Arguments = std::pair<std::vector<std::string>, std::vector<std::string>>;

TEST(HostileArchive, ExtractingMutatedArchivesFailsCleanlyOrStaysInside) {
  test::HostileHome home;
  const std::vector<NamedBytes> car = sample::RoadsterCar();
  std::vector<Case> cases = DirectoryMutations(car, home / "escaped.txt");
  for (auto& c : NestedMutations(home / "escaped.txt")) cases.push_back(std::move(c));
  for (auto& c : MemberMutations(car)) cases.push_back(std::move(c));
  cases.push_back({{"the car as it is", test::BuildViv(car)}, 0});

  RunCases(home, cases, "/e", [&](const std::string& folder) {
    return Arguments{{"/e", home / (folder + "/car.viv")}, {folder}};
  });
  EXPECT_FALSE(test::PathExists(home / "escaped.txt"));
}

// Mutations of a car: its directory, and each of its members emptied, cut, or missing.
std::vector<Case> CarMutations(const std::vector<NamedBytes>& car, const std::string& absoluteName) {
  std::vector<Case> cases;
  for (auto& c : DirectoryMutations(car, absoluteName)) {
    // Mutations that leave the archive intact (stored sizes nobody relies on) convert like
    // the car itself, which runs once at the end.
    if (c.expected == 0) continue;
    c.expected = std::nullopt;  // a car whose archive survives a mutation may still not convert
    cases.push_back(std::move(c));
  }
  for (const auto& [name, bytes] : car) {
    cases.push_back({{name + " missing", test::BuildViv(Without(car, name))}, std::nullopt});
    cases.push_back({{name + " empty", test::BuildViv(Replaced(car, name, {}))}, std::nullopt});
    const Bytes half(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    cases.push_back({{name + " cut in half", test::BuildViv(Replaced(car, name, half))}, std::nullopt});
    Bytes noise = bytes;
    for (std::size_t i = 0; i < noise.size(); i += 7) noise[i] = static_cast<std::uint8_t>(0xFF - noise[i]);
    cases.push_back({{name + " scrambled", test::BuildViv(Replaced(car, name, noise))}, std::nullopt});
  }
  for (auto& c : MemberMutations(car)) {
    c.expected = std::nullopt;
    cases.push_back(std::move(c));
  }
  cases.push_back({{"the car as it is", test::BuildViv(car)}, 0});
  return cases;
}

TEST(HostileArchive, ConvertingMutatedCarsToNfs4AndInstallingFailsCleanly) {
  test::HostileHome home;
  const std::vector<Case> cases = CarMutations(sample::RoadsterCar(), home / "escaped.txt");
  RunCases(home, cases, "/ci4", [&](const std::string& folder) {
    return Arguments{{"/ci4", home / (folder + "/car.viv")}, {folder, "nfs4/Data/Cars/" + folder}};
  });
  EXPECT_TRUE(test::ListNames(home.Nfs4Cars()).empty());
  EXPECT_FALSE(test::PathExists(home / "escaped.txt"));
}

TEST(HostileArchive, ConvertingMutatedNfs4CarsToNfs3FailsCleanly) {
  test::HostileHome home;
  // The NFS4 car is the program's own conversion of the sample car.
  test::MakeFolder(home / "source");
  test::WriteBytes(home / "source/car.viv", test::BuildViv(sample::RoadsterCar()));
  const auto made = test::RunVelkor({"/c4", home / "source/car.viv"}, home.path(), {}, home.Executable());
  ASSERT_EQ(made.exitStatus, 0) << made.err;
  const std::vector<NamedBytes> nfs4Car = test::ParseViv(test::ReadBytes(home / "source/car.vi4"));
  std::filesystem::remove_all(home / "source");

  const std::vector<Case> cases = CarMutations(nfs4Car, home / "escaped.txt");
  RunCases(home, cases, "/c3", [&](const std::string& folder) {
    return Arguments{{"/c3", home / (folder + "/car.viv")}, {folder}};
  });
  EXPECT_FALSE(test::PathExists(home / "escaped.txt"));
}

}  // namespace
}  // namespace velkor
