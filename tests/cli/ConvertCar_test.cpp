// Cars and single files through the real program. The expected bytes come from the file
// conversions, which Model_test and Carp_test check byte for byte against the formats.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <tuple>

#include "app/KeptCars.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "cli/RunVelkor.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "sample/SampleCar.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using test::Ended;
using test::MemberOf;
using test::NamedBytes;
using Names = std::vector<std::string>;

// The TGA's rows in reverse order, from its header alone: 18 bytes, identification, pixels.
Bytes FlipRows(const Bytes& tga) {
  const std::size_t row = (tga[12] | tga[13] << 8) * (tga[16] / 8), start = 18 + tga[0];
  Bytes out = test::Slice(tga, 0, start);
  for (std::size_t r = tga[14] | tga[15] << 8; r > 0; --r)
    test::Append(out, test::Slice(tga, start + (r - 1) * row, row));
  return out;
}

Bytes CarpTo4(const Bytes& b) { return test::Through<Carp3File>(b, [](auto& f, auto out) { f.ConvertTo4(out); }); }
Bytes CarpTo3(const Bytes& b) { return test::Through<Carp4File>(b, [](auto& f, auto out) { f.ConvertTo3(out); }); }
Bytes FceTo4(const Bytes& b) { return test::Through<Fce3File>(b, [](auto& f, auto out) { f.ConvertTo4(out); }); }
Bytes FceTo3(const Bytes& b, int alt) {
  return test::Through<Fce4File>(b, [alt](auto& f, auto out) { f.ConvertTo3(out, alt); });
}
Bytes TextsTo4(const Bytes& b) { return test::Through<FeData3File>(b, [](auto& f, auto out) { f.ConvertTo4(out); }); }
Bytes TextsTo3(const Bytes& b) { return test::Through<FeData4File>(b, [](auto& f, auto out) { f.ConvertTo3(out); }); }

std::vector<Bytes> Sorted(std::vector<Bytes> all) {
  std::sort(all.begin(), all.end());
  return all;
}

// An NFS4 car in which each numbered variant differs from the others.
std::vector<NamedBytes> Nfs4Car(int variants) {
  const auto nfs3 = sample::RoadsterCar();
  const Bytes carp = CarpTo4(MemberOf(nfs3, "carp.txt")), model = FceTo4(MemberOf(nfs3, "car.fce"));
  std::vector<NamedBytes> car;
  for (int v = 0; v <= variants; ++v) {
    const std::string n = v == 0 ? "" : std::to_string(v);
    std::string text = test::ToText(carp);
    text.replace(text.find("7301"), 4, "730" + std::to_string(v));
    car.emplace_back("carp" + n + ".txt", test::ToBytes(text));
    car.emplace_back("car" + n + ".fce", model), car.back().second.back() = static_cast<std::uint8_t>(v);
    car.emplace_back("car" + n + "00.tga", MemberOf(nfs3, "car00.tga"));
    car.back().second[18] = static_cast<std::uint8_t>(v);
  }
  return car;
}

class ConvertCarTest : public ::testing::Test {
 protected:
  // The sample car without the members named, as <folder>/car.viv below the home.
  std::string PutRoadster(const std::string& folder, const Names& without = {}) {
    auto car = sample::RoadsterCar();
    std::erase_if(car, [&](const auto& m) { return std::count(without.begin(), without.end(), m.first) > 0; });
    return home.PutCar(folder, car);
  }
  // What "/c4" makes of `archive`, which "/ci4" installs.
  Bytes ConvertedBeside(const std::string& archive) {
    EXPECT_TRUE(Ended(home.Run({"/c4", archive}), 0));
    const std::string output = archive.substr(0, archive.size() - 1) + "4";
    const Bytes bytes = test::ReadBytes(output);
    fs::remove(output);
    return bytes;
  }
  // The kept copies of an NFS4 car, sorted.
  std::vector<Bytes> Kept(const std::string& car) {
    std::vector<Bytes> copies;
    for (const auto& name : test::ListNames(home.Data() + "/replaced/NFS4/" + car))
      copies.push_back(test::ReadBytes(home.Data() + "/replaced/NFS4/" + car + "/" + name));
    return Sorted(copies);
  }
  test::CliHome home;
};

// Replaced installations: kept under <data>/replaced/NFS4/<car>, put back by --restore. A failed
// installation keeps the installed car and removes a car folder it created.
TEST_F(ConvertCarTest, ToNfs4InstallsTheExpectedBytesKeepsWhatItReplacesAndFailuresChangeNothing) {
  auto car = sample::RoadsterCar();
  const auto references = sample::Nfs4ReferenceCar();
  const std::string archive = home.PutCar("cars/Velkor Roadster", car);
  const std::string folder = home.Nfs4Cars() + "/Velkor Roadster", installed = folder + "/car.viv";
  const std::string kept = home.Data() + "/replaced/NFS4/Velkor Roadster";
  const Bytes before = test::ReadBytes(archive);
  const auto run = home.Run({"/ci4", archive});
  ASSERT_TRUE(Ended(run, 0));
  EXPECT_EQ(run.err, "");
  const Bytes carp = CarpTo4(MemberOf(car, "carp.txt")), model = FceTo4(MemberOf(car, "car.fce"));
  const Bytes image = FlipRows(MemberOf(car, "car00.tga"));
  std::vector<NamedBytes> expected;
  for (const std::string n : {"", "1", "2", "3"}) expected.emplace_back("carp" + n + ".txt", carp);
  for (const std::string n : {"", "1", "2", "3"}) expected.emplace_back("car" + n + ".fce", model);
  for (const std::string n : {"", "1", "2", "3"}) expected.emplace_back("car" + n + "00.tga", image);
  const auto reference = [&](const std::string& name) { return NamedBytes{name, MemberOf(references, name)}; };
  const auto texts = [&](const std::string& name) { return NamedBytes{name, TextsTo4(MemberOf(car, name))}; };
  expected.insert(expected.end(), {reference("dash.fsh"), reference("dash.fce"), reference("dash00.tga"),
                                   {"fedata.fsh", MemberOf(car, "fedata.fsh")}, texts("fedata.eng"),
                                   texts("fedata.ger"), reference("careng.ctb"), reference("careng.ltb"),
                                   reference("careng.bnk"), reference("ocareng.bnk"), reference("scareng.bnk")});
  const Bytes first = test::ReadBytes(installed);
  EXPECT_EQ(first, test::BuildViv(expected));
  EXPECT_EQ(test::ReadBytes(archive), before);
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), Names{"car.viv"});
  EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
  EXPECT_EQ(test::ListNames(home / "bin dir"), Names{"velkor"}) << "nothing is written beside the program";

  EXPECT_TRUE(Ended(home.Run({"--restore", installed}), 1, {"'" + kept + "'"}));
  EXPECT_TRUE(Ended(home.Run({"--restore", archive}), 1, {"not a car's archive in a game's car folder"}));
  ASSERT_TRUE(Ended(home.Run({"/ci4", archive}), 0));
  EXPECT_FALSE(test::PathExists(kept)) << "an archive holding the new bytes is not kept";

  std::erase_if(car, [](const NamedBytes& m) { return m.first == "fedata.ger"; });
  home.PutCar("cars/Velkor Roadster", car);
  ASSERT_TRUE(Ended(home.Run({"/ci4", archive}), 0));
  const Bytes second = test::ReadBytes(installed);
  ASSERT_NE(second, first);
  EXPECT_EQ(Kept("Velkor Roadster"), std::vector<Bytes>{first});
  // Named after the time it was replaced; a number is added only when that name is taken.
  const Names keptNames = test::ListNames(kept);
  EXPECT_TRUE(keptNames.size() == 1 && std::regex_match(keptNames[0], std::regex(R"(\d{8}-\d{6}\.viv)")))
      << (keptNames.empty() ? "none" : keptNames[0]);

  ASSERT_TRUE(Ended(home.Run({"--restore", installed}), 0));
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
  EXPECT_EQ(Kept("Velkor Roadster"), Sorted({first, second})) << "the restoration kept what it replaced";

  // Again, through a path spelled in another case: the newest kept copy comes back.
  ASSERT_TRUE(Ended(home.Run({"--restore", home / "nfs4/data/cars/Velkor Roadster/CAR.VIV"}), 0));
  EXPECT_EQ(test::ReadBytes(installed), second);
  EXPECT_EQ(Kept("Velkor Roadster").size(), 3u) << "kept copies are never deleted";

  // Into a car folder that was deleted: it is made again, nothing else is kept.
  fs::remove_all(folder);
  ASSERT_TRUE(Ended(home.Run({"--restore", installed}), 0));
  EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(Kept("Velkor Roadster").size(), 3u);

  // The car with a texture cut short: the conversion fails late, after the unpacking.
  for (auto& [name, bytes] : car)
    if (name == "car00.tga") bytes.resize(100);
  home.PutCar("cars/Velkor Roadster", car);
  EXPECT_TRUE(Ended(home.Run({"/ci4", archive}), 1, {"car00.tga"}));
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), Names{"car.viv"});
  EXPECT_TRUE(Ended(home.Run({"/ci4", home.PutCar("cars/Another", car)}), 1));  // no car folder before: none after
  EXPECT_EQ(test::ListNames(home.Nfs4Cars()), Names{"Velkor Roadster"});
  EXPECT_EQ(test::ListNames(home / "cars/Another"), Names{"car.viv"});

  // Missing reference files and car folders are clear errors.
  const std::string roadster = home.PutCar("cars/roadster", sample::RoadsterCar());
  fs::remove(home.Data() + "/careng.ctb");
  EXPECT_TRUE(Ended(home.Run({"/c4", roadster}), 1, {"'careng.ctb' is missing from '" + home.Data() + "/'"}));
  EXPECT_EQ(test::ListNames(home / "cars/roadster"), Names{"car.viv"});

  fs::remove_all(home / "nfs3/GameData");
  EXPECT_TRUE(Ended(home.Run({"/ci3", home.PutCar("cars/nfs4car", Nfs4Car(0))}), 1, {"GameData/CarModel"}));
  EXPECT_EQ(test::ListNames(home / "nfs3"), Names{});
}

// Each kind of single file goes to its own conversion, beside the input; nothing is installed. A car
// to NFS3 takes the highest variant, keeps the front end and replaces the car's own reference files.
TEST_F(ConvertCarTest, EachSingleFileConvertsBesideItselfAndACarToNfs3TakesTheHighestVariant) {
  const Bytes fce3 = test::MakeFce3(5, 7, 2), fce4 = test::MakeFce4(5, 7, 2);
  const Bytes texts3 = test::MakeFrontEnd(Bytes(47, 0), Names(40, "t"));
  const Bytes texts4 = test::MakeFrontEnd(Bytes(960, 0), Names(41, "t"));
  const Bytes carp3 = test::ToBytes("mass(2)\r\n1465\r\n"), carp4 = test::ToBytes("(80)\r\n1.5\r\n");
  const std::vector<std::tuple<std::string, std::string, Bytes, std::string, Bytes>> cases = {
      {"/c4", "car.fce", fce3, "car.fc4", FceTo4(fce3)}, {"/ci3", "x.fce", fce4, "x.fc3", FceTo3(fce4, 0)},
      {"/ci4", "xfedata.eng", texts3, "xfedata.en4", TextsTo4(texts3)},
      {"/c3", "fedata.swe", texts4, "fedata.sw3", TextsTo3(texts4)},
      {"/c4", "carp3.txt", carp3, "carp3.tx4", CarpTo4(carp3)}, {"/c3", "carp.txt", carp4, "carp.tx3", CarpTo3(carp4)}};
  for (const auto& [sw, name, bytes, output, expected] : cases) {
    const auto run = home.Run({sw, home.Put("work/" + name, bytes)});
    EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string())) << name;
    EXPECT_EQ(test::ReadBytes(home / ("work/" + output)), expected) << output;
  }
  EXPECT_EQ(test::ListNames(home / "work").size(), 2 * cases.size());
  EXPECT_TRUE(test::ListNames(home.Nfs3Cars()).empty() && test::ListNames(home.Nfs4Cars()).empty());

  const auto nfs3 = sample::RoadsterCar();
  auto car = Nfs4Car(2);
  const Bytes ger = TextsTo4(MemberOf(nfs3, "fedata.ger")), eng = TextsTo4(MemberOf(nfs3, "fedata.eng"));
  // Texts stored out of language order, beside images and the car's own reference files.
  car.insert(car.end(), {{"fedata.ger", ger}, {"fedata.fsh", MemberOf(nfs3, "fedata.fsh")}, {"fedata.eng", eng},
                         {"dash.qfs", test::ToBytes("own dashboard")}, {"careng.bnk", test::ToBytes("own engine")}});
  ASSERT_TRUE(Ended(home.Run({"/c3", home.PutCar("cars/variants", car)}), 0));
  EXPECT_EQ(test::ListNames(home / "cars/variants"), (Names{"car.vi3", "car.viv"}));
  const auto data = [&](const std::string& name) {
    return NamedBytes{name, test::ReadBytes(home.Data() + "/" + name)};
  };
  // The car's model, performance file and texture, taken from `variant`, then the reference files.
  const auto nfs3Car = [&](const std::vector<NamedBytes>& from, const std::string& variant) {
    return std::vector<NamedBytes>{{"carp.txt", CarpTo3(MemberOf(from, "carp" + variant + ".txt"))},
                                   {"car.fce", FceTo3(MemberOf(from, "car" + variant + ".fce"), 0)},
                                   {"card.fce", FceTo3(MemberOf(from, "car" + variant + ".fce"), 1)},
                                   {"car00.tga", FlipRows(MemberOf(from, "car" + variant + "00.tga"))},
                                   data("dash.qfs")};
  };
  auto expected = nfs3Car(car, "2");
  expected.insert(expected.end(), {{"fedata.fsh", MemberOf(nfs3, "fedata.fsh")}, {"fedata.eng", TextsTo3(eng)},
                                   {"fedata.ger", TextsTo3(ger)}, data("careng.bnk"), data("ocareng.bnk"),
                                   data("scareng.bnk")});
  EXPECT_EQ(test::ReadBytes(home / "cars/variants/car.vi3"), test::BuildViv(expected));

  // Without numbered models the plain files are used.
  const auto plain = Nfs4Car(0);
  ASSERT_TRUE(Ended(home.Run({"/ci3", home.PutCar("cars/plain", plain)}), 0));
  expected = nfs3Car(plain, "");
  expected.insert(expected.end(), {data("careng.bnk"), data("ocareng.bnk"), data("scareng.bnk")});
  EXPECT_EQ(test::ReadBytes(home.Nfs3Cars() + "/plain/car.viv"), test::BuildViv(expected));
  EXPECT_EQ(test::ListNames(home / "cars/plain"), Names{"car.viv"});
}

TEST_F(ConvertCarTest, RunsIntoOneCarTakeTurnsAndEveryReplacedCarIsKept) {
  const std::string installed = home.Nfs4Cars() + "/Racer/car.viv";
  ASSERT_TRUE(Ended(home.Run({"/ci4", PutRoadster("old/Racer", {"fedata.eng"})}), 0));
  const Bytes before = test::ReadBytes(installed);
  const std::string one = PutRoadster("one/Racer", {"fedata.ger"}), two = PutRoadster("two/Racer");
  const Bytes oneBytes = ConvertedBeside(one), twoBytes = ConvertedBeside(two);

  // The test holds the car's lock (the folder name in another case is the same car), only
  // shared: an installation's lock excludes every other holder, so both runs wait for it
  // before writing anything.
  test::MakeFolder(home.Data() + "/locks/NFS4");
  const int lock = ::open((home.Data() + "/locks/NFS4/racer.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(::flock(lock, LOCK_SH), 0);
  test::StartedVelkor first({"/ci4", one}, home.path(), home.Program());
  test::StartedVelkor second({"/ci4", two}, home.path(), home.Program());
  ASSERT_TRUE(first.ErrorShows("waiting for it to end"));
  ASSERT_TRUE(second.ErrorShows("waiting for it to end"));
  EXPECT_EQ(test::ReadBytes(installed), before);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Racer"), Names{"car.viv"});
  ::close(lock);
  ASSERT_TRUE(Ended(first.Finish(), 0));
  ASSERT_TRUE(Ended(second.Finish(), 0));

  // One whole car installed; the other and the car there before both kept.
  const Bytes now = test::ReadBytes(installed);
  ASSERT_TRUE(now == oneBytes || now == twoBytes);
  EXPECT_EQ(Kept("Racer"), Sorted({before, now == oneBytes ? twoBytes : oneBytes}));
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Racer"), Names{"car.viv"});
}

// A copy being kept holds its name from the moment it is chosen: a second copy kept at that
// moment, in the same second, takes another name, and both survive whole.
TEST(KeptCopies, ACopyKeptMeanwhileIsNeverReplaced) {
  test::TempDir dir;
  test::WriteText(dir / "first.viv", "the first car");
  test::WriteText(dir / "second.viv", "the second car");
  std::string inner;
  const std::string outer = KeepReplacedArchive(dir / "first.viv", dir / "kept", [&] {
    inner = KeepReplacedArchive(dir / "second.viv", dir / "kept");
  });
  EXPECT_NE(inner, outer);
  EXPECT_EQ(test::ReadText(outer), "the first car");
  EXPECT_EQ(test::ReadText(inner), "the second car");
  EXPECT_EQ(test::ListNames(dir / "kept").size(), 2u);
}

// Replacing needs the old car kept first: an installed car that cannot be read, a kept folder
// that cannot be written, or one that fills up, fail the installation with the installed car
// as it was and no partial copy kept.
TEST_F(ConvertCarTest, AnOldCarThatCannotBeKeptIsNeverReplaced) {
  if (!test::CanDropPrivileges()) GTEST_SKIP() << "needs setpriv to drop root's privileges";
  const std::string archive = PutRoadster("cars/Racer"), folder = home.Nfs4Cars() + "/Racer";
  const std::string kept = home.Data() + "/replaced/NFS4/Racer";
  // Lets the user nobody write where an installation writes.
  for (const auto& open : {folder, home.Data(), home.Data() + "/replaced", home.Data() + "/replaced/NFS4"}) {
    test::MakeFolder(open);
    fs::permissions(open, fs::perms::all);
  }
  const Bytes old(100 * 1024, 'o');
  test::WriteBytes(folder + "/car.viv", old);
  const auto expectRefused = [&](const std::string& reason) {
    EXPECT_TRUE(Ended(test::RunUnprivileged({"/ci4", archive}, home.path(), home.Program()), 1,
                      {reason, "nothing was replaced"}));
    EXPECT_EQ(test::ReadBytes(folder + "/car.viv"), old);
    EXPECT_EQ(test::ListNames(folder), Names{"car.viv"});
    EXPECT_TRUE(!test::PathExists(kept) || test::ListNames(kept).empty());
  };
  // Replaceable (the folder is open to everyone) but not readable.
  fs::permissions(folder + "/car.viv", fs::perms::owner_write);
  expectRefused("'" + folder + "/car.viv': Permission denied");
  fs::permissions(folder + "/car.viv", fs::perms::all);
  EXPECT_FALSE(test::PathExists(kept));

  test::MakeFolder(kept);  // made by root, closed to others
  fs::permissions(kept, fs::perms::others_write | fs::perms::group_write, fs::perm_options::remove);
  expectRefused("Permission denied");

  if (::geteuid() != 0) return;  // a small file system needs root
  fs::permissions(kept, fs::perms::all);
  if (::mount("tmpfs", kept.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0) GTEST_SKIP() << "cannot mount a tmpfs";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{kept};
  expectRefused("No space left on device");
}

}  // namespace
}  // namespace velkor
