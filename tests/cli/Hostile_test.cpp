// Broken and hostile input through the real program: for each case the exact exit status,
// a "velkor: " message naming the file and the fault, nothing on stdout, and nothing in
// the home folder written, changed or left behind (older outputs included).

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::BuildViv;
using test::ToBytes;
using Words = std::vector<std::string>;

Bytes WithBE(Bytes bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  return bytes;
}
Bytes Cut(const Bytes& bytes, std::size_t length) { return test::Slice(bytes, 0, length); }
Bytes Nested(int depth) { return depth == 0 ? BuildViv({{"x", {}}}) : BuildViv({{"n.viv", Nested(depth - 1)}}); }

std::vector<test::NamedBytes> Without(std::vector<test::NamedBytes> car, const std::string& name) {
  std::erase_if(car, [&](const test::NamedBytes& m) { return m.first == name; });
  return car;
}

// An NFS4 car whose highest variant is 2, with the plain performance file too.
std::vector<test::NamedBytes> Nfs4Car() {
  const Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42};
  const Bytes carp = ToBytes("(0)\r\n1\r\n");
  return {{"carp.txt", carp}, {"carp2.txt", carp}, {"car2.fce", test::MakeFce4(3, 2, 1)}, {"car200.tga", tga}};
}

struct Case {
  std::string what;
  Words switches;
  std::string name;  // of the input, in a folder of its own
  Bytes bytes;
  int status;
  Words words;  // in the message
};

// A two-member archive: entries at 16 and 30 (offset, length, name), data "abc" at 44, "defg" at 47.
const Bytes kTwo = BuildViv({{"a.txt", ToBytes("abc")}, {"b.txt", ToBytes("defg")}});
const Words kBoth = {"--list", "/e"};

std::vector<Case> Cases() {
  const auto car = sample::RoadsterCar();
  const Bytes fce3 = test::MakeFce3(3, 2, 1);
  std::vector<Case> cases = {
      {"the archive as it is", kBoth, "car.viv", kTwo, 0, {}},
      {"a header cut short", kBoth, "car.viv", Cut(kTwo, 15), 1, {"too short for a VIV archive"}},
      {"a negative count", kBoth, "car.viv", WithBE(kTwo, 8, ~0u), 1, {"negative entry count -1"}},
      {"a count that cannot fit", kBoth, "car.viv", WithBE(kTwo, 8, 0x7FFFFFFF), 1, {"2147483647 entries does not fit"}},
      {"one entry too many", kBoth, "car.viv", WithBE(kTwo, 8, 3), 1, {"entry 2", "past"}},
      {"the last entry one byte past the end", kBoth, "car.viv", WithBE(kTwo, 34, 5), 1,
       {"entry 1 ('b.txt') reaches past the end", "offset 47 + length 5 > 51 bytes"}},
      {"an entry starting past the end", kBoth, "car.viv", WithBE(kTwo, 16, 0x7FFFFFFF), 1, {"entry 0", "past the end"}},
      {"a negative offset", kBoth, "car.viv", WithBE(kTwo, 30, 0x80000000), 1, {"negative offset -2147483648"}},
      {"a negative length", kBoth, "car.viv", WithBE(kTwo, 20, ~0u), 1, {"entry 0 ('a.txt') has a negative length -1"}},
      {"lengths adding up past the archive", kBoth, "car.viv",
       WithBE(WithBE(WithBE(WithBE(kTwo, 16, 16), 20, 30), 30, 16), 34, 30), 1, {"add up to 60 bytes"}},
      {"a name without its NUL", kBoth, "car.viv", Cut(WithBE(WithBE(BuildViv({{"a", {}}, {"bb", {}}}), 16, 0), 26, 0), 36), 1,
       {"entry 1 runs past its end"}},
      {"a name of 257 bytes", kBoth, "car.viv", BuildViv({{std::string(257, 'n'), {}}}), 1, {"longer than 256 bytes"}},
      {"a name no file system takes", {"/e"}, "car.viv", BuildViv({{"a", {1}}, {std::string(256, 'n'), {2}}}), 1,
       {"File name too long"}},
      {"archives nested 16 deep, the most", kBoth, "car.viv", Nested(15), 0, {}},
      {"archives nested 17 deep", kBoth, "car.viv", Nested(16), 1, {"nests archives more than 16 deep"}},
      {"a nested archive with an unsafe name", kBoth, "car.viv", BuildViv({{"in.viv", BuildViv({{"../x", {}}})}}), 1,
       {"in member 'in.viv'", "'../x'", "folder part"}},
      {"a nested archive whose folder is a member", kBoth, "car.viv", BuildViv({{"IN", {}}, {"in.viv", kTwo}}), 1,
       {"another entry is a file of that name"}},
      {"a car without its texture", {"/c4", "/ci4"}, "car.viv", BuildViv(Without(car, "car00.tga")), 1,
       {"has no car00.tga"}},
      {"a car without its performance file", {"/ci4"}, "car.viv", BuildViv(Without(car, "carp.txt")), 1,
       {"has no carp.txt"}},
      {"an NFS4 car as it is", {"/c3"}, "car.viv", BuildViv(Nfs4Car()), 0, {}},
      {"an NFS4 car without its variant's model", {"/c3", "/ci3"}, "car.viv", BuildViv(Without(Nfs4Car(), "car2.fce")),
       1, {"has no car.fce"}},
      {"an NFS4 car without its variant's performance file", {"/ci3"}, "car.viv",
       BuildViv(Without(Nfs4Car(), "carp2.txt")), 1, {"has no carp2.txt"}},
      {"a model as it is", {"/c4"}, "car.fce", fce3, 0, {}},
      {"a car without a model", {"--export"}, "car.viv", kTwo, 1, {"has no car.fce"}},
      {"an image archive named only by its extension", {"--export", "/e"}, ".fsh", Bytes(16, 0), 1, {"folder"}},
      {"texts shorter than their offset table", {"/c4"}, "fedata.eng", Bytes(206, 0), 1, {"truncated", "207"}},
      {"NFS4 texts shorter than their offset table", {"/c3"}, "fedata.ger", Bytes(1123, 4), 1, {"truncated", "1124"}},
  };
  // Names that would leave the folder or that no folder can hold, alone and inside a car.
  for (const std::string name : {"../x", "sub/x", "a\\b", "/abs", "..", ".", "", "C:x", ".viv", "...fsh"}) {
    const Words words = {"'" + name + "'"};
    cases.push_back({"a member named '" + name + "'", kBoth, "car.viv", BuildViv({{name, {1}}}), 1, words});
    cases.push_back({"a car member named '" + name + "'", {"/ci4"}, "car.viv", BuildViv({{"car.fce", {}}, {name, {}}}),
                     1, words});
  }
  for (const std::string name : {"fedata.jpn", "CAR.FCE", "notes.txt", "carp4.txt"})
    cases.push_back({"a loose file no rule converts", {"/c4"}, name, fce3, 1, {"cannot convert"}});
  return cases;
}

TEST(Hostile, EveryCaseFailsWithItsStatusAndMessageAndWritesNothing) {
  test::CliHome home;
  // All but the lock files, which installations leave for the next run.
  const auto snapshot = [&] {
    auto files = test::Snapshot(home.path());
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(".local/share/Velkor/locks"); });
    return files;
  };
  int index = 0;
  for (const Case& c : Cases()) {
    for (const std::string& sw : c.switches) {
      const std::string folder = home / ("case" + std::to_string(index++)), input = folder + "/" + c.name;
      home.Put(input, c.bytes);
      std::string older = input;  // an output of an earlier run beside the input
      older.back() = sw.back();
      if (sw.starts_with("/c")) test::WriteText(older, "older output");
      const auto before = snapshot();
      const auto run = home.Run({sw, input});
      SCOPED_TRACE(sw + " on " + c.what + ": " + run.err);
      EXPECT_EQ(run.exitStatus, c.status);
      if (c.status == 0) {
        EXPECT_EQ(run.err, "");
      } else {
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("velkor: ", 0), 0u);
        EXPECT_NE(run.err.find(folder), std::string::npos);
        for (const std::string& word : c.words) EXPECT_NE(run.err.find(word), std::string::npos) << word;
        EXPECT_EQ(snapshot(), before);
      }
      std::filesystem::remove_all(folder);
      for (const std::string& cars : {home.Nfs3Cars(), home.Nfs4Cars()})
        for (const std::string& installed : test::ListNames(cars)) std::filesystem::remove_all(cars + "/" + installed);
    }
  }
}

}  // namespace
}  // namespace velkor
