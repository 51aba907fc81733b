#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "cli/RunVelkor.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using test::NamedBytes;

// The TGA's rows in reverse order, from its header alone: 18 bytes, identification, pixels.
Bytes FlipRows(const Bytes& tga) {
  const std::size_t idLength = tga[0];
  const std::size_t width = tga[12] | (tga[13] << 8);
  const std::size_t height = tga[14] | (tga[15] << 8);
  const std::size_t row = width * (tga[16] / 8);
  const std::size_t start = 18 + idLength;
  Bytes out(tga.begin(), tga.begin() + static_cast<std::ptrdiff_t>(start));
  for (std::size_t r = height; r > 0; --r) {
    const auto from = tga.begin() + static_cast<std::ptrdiff_t>(start + (r - 1) * row);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(row));
  }
  return out;
}

const Bytes& Member(const std::vector<NamedBytes>& members, const std::string& name) {
  for (const auto& member : members)
    if (member.first == name) return member.second;
  throw std::runtime_error("no member " + name);
}

class CarConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFolder(home / "bin");
    fs::copy_file(VELKOR_EXE, home / "bin/velkor");
    test::MakeFolder(data);
    for (const auto& [name, bytes] : sample::Nfs3ReferenceCar())
      if (name == "dash.qfs") test::WriteBytes(data + "/" + name, bytes);
    for (const auto& [name, bytes] : sample::Nfs4ReferenceCar()) test::WriteBytes(data + "/" + name, bytes);
    test::MakeFolder(home / "nfs3/GameData/CarModel");
    test::MakeFolder(home / "nfs4/Data/Cars");
    test::MakeFolder(home / ".config/Velkor");
    test::WriteText(home / ".config/Velkor/registry.reg",
                    "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n\"Installed\"=dword:00000001\n"
                    "\"NFS3Path\"=\"" + (home / "nfs3/") + "\"\n\"NFS4Path\"=\"" + (home / "nfs4/") + "\"\n");
  }

  test::RunResult Velkor(const std::string& sw, const std::string& path) {
    return test::RunVelkor({sw, path}, home.path(), {}, home / "bin/velkor");
  }

  std::string PutCar(const std::string& folder, const std::vector<NamedBytes>& members) {
    test::MakeFolder(home / "cars" + "/" + folder);
    const std::string path = home / "cars" + "/" + folder + "/car.viv";
    test::WriteBytes(path, test::BuildViv(members));
    return path;
  }

  // What a tested file conversion makes of `input`, run in a scratch folder of its own.
  Bytes Converted(const std::string& name, const Bytes& input, const std::function<void(const std::string&,
                                                                                         const std::string&)>& convert) {
    const std::string in = scratch / ("in-" + name);
    const std::string out = scratch / ("out-" + name);
    test::WriteBytes(in, input);
    convert(in, out);
    return test::ReadBytes(out);
  }
  Bytes CarpTo4(const Bytes& b) {
    return Converted("carp.txt", b, [](auto& in, auto& out) { Carp3File f(in); f.Load(); f.ConvertTo4(out); });
  }
  Bytes CarpTo3(const Bytes& b) {
    return Converted("carp.txt", b, [](auto& in, auto& out) { Carp4File f(in); f.Load(); f.ConvertTo3(out); });
  }
  Bytes FceTo4(const Bytes& b) {
    return Converted("car.fce", b, [](auto& in, auto& out) { Fce3File f(in); f.Load(); f.ConvertTo4(out); });
  }
  Bytes FceTo3(const Bytes& b, int alternate) {
    return Converted("car.fce", b, [alternate](auto& in, auto& out) {
      Fce4File f(in);
      f.Load();
      f.ConvertTo3(out, alternate);
    });
  }
  Bytes FeDataTo4(const Bytes& b) {
    return Converted("fedata", b, [](auto& in, auto& out) { FeData3File f(in); f.Load(); f.ConvertTo4(out); });
  }

  // An NFS4 car in which each numbered variant differs from the others.
  std::vector<NamedBytes> Nfs4Car(int variants) {
    const auto nfs3 = sample::RoadsterCar();
    const Bytes carp = CarpTo4(Member(nfs3, "carp.txt"));
    const Bytes model = FceTo4(Member(nfs3, "car.fce"));
    const Bytes texture = Member(nfs3, "car00.tga");
    std::vector<NamedBytes> car;
    for (int v = 0; v <= variants; ++v) {
      const std::string n = v == 0 ? "" : std::to_string(v);
      std::string text = test::ToText(carp);
      text.replace(text.find("7301"), 4, "730" + std::to_string(v));
      car.emplace_back("carp" + n + ".txt", test::ToBytes(text));
      Bytes variantModel = model;
      variantModel.back() = static_cast<std::uint8_t>(v);
      car.emplace_back("car" + n + ".fce", variantModel);
      Bytes variantTexture = texture;
      variantTexture[18] = static_cast<std::uint8_t>(v);
      car.emplace_back("car" + n + "00.tga", variantTexture);
    }
    return car;
  }

  test::TempDir home;
  test::TempDir scratch;
  const std::string data = home / ".local/share/Velkor";
};

TEST_F(CarConversionTest, ToNfs4InstallsEveryMemberInOrderWithTheExpectedBytes) {
  const auto input = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", input);
  const Bytes before = test::ReadBytes(archive);

  const auto run = Velkor("/ci4", archive);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string installed = home / "nfs4/Data/Cars/Velkor Roadster/car.viv";
  const auto out = test::ParseViv(test::ReadBytes(installed));

  std::vector<std::string> names;
  for (const auto& member : out) names.push_back(member.first);
  EXPECT_EQ(names, (std::vector<std::string>{"carp.txt", "carp1.txt", "carp2.txt", "carp3.txt", "car.fce",
                                             "car1.fce", "car2.fce", "car3.fce", "car00.tga", "car100.tga",
                                             "car200.tga", "car300.tga", "dash.fsh", "dash.fce", "dash00.tga",
                                             "fedata.fsh", "fedata.eng", "fedata.ger", "careng.ctb", "careng.ltb",
                                             "careng.bnk", "ocareng.bnk", "scareng.bnk"}));

  const Bytes carp = CarpTo4(Member(input, "carp.txt"));
  const Bytes model = FceTo4(Member(input, "car.fce"));
  const Bytes texture = FlipRows(Member(input, "car00.tga"));
  for (const char* n : {"", "1", "2", "3"}) {
    EXPECT_EQ(Member(out, std::string("carp") + n + ".txt"), carp) << n;
    EXPECT_EQ(Member(out, std::string("car") + n + ".fce"), model) << n;
    EXPECT_EQ(Member(out, std::string("car") + n + "00.tga"), texture) << n;
  }
  for (const auto& [name, bytes] : sample::Nfs4ReferenceCar()) EXPECT_EQ(Member(out, name), bytes) << name;
  EXPECT_EQ(Member(out, "fedata.fsh"), Member(input, "fedata.fsh"));
  EXPECT_EQ(Member(out, "fedata.eng"), FeDataTo4(Member(input, "fedata.eng")));
  EXPECT_EQ(Member(out, "fedata.ger"), FeDataTo4(Member(input, "fedata.ger")));

  EXPECT_EQ(test::ReadBytes(archive), before);
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});
  EXPECT_EQ(test::ListNames(home / "nfs4/Data/Cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});
}

TEST_F(CarConversionTest, ToNfs3TakesTheHighestVariantAndReplacesTheCarsOwnReferenceFiles) {
  auto car = Nfs4Car(2);
  car.emplace_back("dash.qfs", test::ToBytes("the car's own dashboard"));
  car.emplace_back("careng.bnk", test::ToBytes("the car's own engine"));
  const std::string archive = PutCar("variants", car);

  const auto run = Velkor("/c3", archive);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ListNames(home / "cars/variants"), (std::vector<std::string>{"car.vi3", "car.viv"}));
  const auto out = test::ParseViv(test::ReadBytes(home / "cars/variants/car.vi3"));
  std::vector<std::string> names;
  for (const auto& member : out) names.push_back(member.first);
  EXPECT_EQ(names, (std::vector<std::string>{"carp.txt", "car.fce", "card.fce", "car00.tga", "dash.qfs",
                                             "careng.bnk", "ocareng.bnk", "scareng.bnk"}));

  EXPECT_EQ(Member(out, "carp.txt"), CarpTo3(Member(car, "carp2.txt")));
  EXPECT_EQ(Member(out, "car.fce"), FceTo3(Member(car, "car2.fce"), 0));
  EXPECT_EQ(Member(out, "card.fce"), FceTo3(Member(car, "car2.fce"), 1));
  EXPECT_EQ(Member(out, "car00.tga"), FlipRows(Member(car, "car200.tga")));
  EXPECT_EQ(Member(out, "dash.qfs"), test::ReadBytes(data + "/dash.qfs"));
  EXPECT_EQ(Member(out, "careng.bnk"), test::ReadBytes(data + "/careng.bnk"));
}

TEST_F(CarConversionTest, ToNfs3WithoutNumberedModelsUsesThePlainFiles) {
  const auto car = Nfs4Car(0);
  const std::string archive = PutCar("plain", car);
  const auto run = Velkor("/ci3", archive);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const auto out = test::ParseViv(test::ReadBytes(home / "nfs3/GameData/CarModel/plain/car.viv"));
  EXPECT_EQ(Member(out, "carp.txt"), CarpTo3(Member(car, "carp.txt")));
  EXPECT_EQ(Member(out, "car.fce"), FceTo3(Member(car, "car.fce"), 0));
  EXPECT_EQ(test::ListNames(home / "cars/plain"), std::vector<std::string>{"car.viv"});
}

TEST_F(CarConversionTest, AFailedInstallLeavesAnInstalledCarIntactAndRemovesAFolderItCreated) {
  auto car = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", car);
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  const std::string installed = home / "nfs4/Data/Cars/Velkor Roadster/car.viv";
  const Bytes good = test::ReadBytes(installed);

  // The same car without its texture: the conversion fails late, after the unpacking.
  std::erase_if(car, [](const NamedBytes& m) { return m.first == "car00.tga"; });
  PutCar("Velkor Roadster", car);
  auto run = Velkor("/ci4", archive);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("car00.tga"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), good);
  EXPECT_EQ(test::ListNames(home / "nfs4/Data/Cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});

  // Under another name there was no car folder before: none remains after the failure.
  const std::string other = PutCar("Another", car);
  run = Velkor("/ci4", other);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_FALSE(test::PathExists(home / "nfs4/Data/Cars/Another"));
  EXPECT_EQ(test::ListNames(home / "cars/Another"), std::vector<std::string>{"car.viv"});
}

TEST_F(CarConversionTest, AnExistingWorkingFolderIsRefusedAndKeptUntouched) {
  const std::string archive = PutCar("busy", sample::RoadsterCar());
  test::MakeFolder(home / "cars/busy/car");
  test::WriteText(home / "cars/busy/car/notes.txt", "my own work");

  const auto run = Velkor("/c4", archive);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("already exists"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "cars/busy"), (std::vector<std::string>{"car", "car.viv"}));
  EXPECT_EQ(test::ListNames(home / "cars/busy/car"), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(test::ReadText(home / "cars/busy/car/notes.txt"), "my own work");
}

TEST_F(CarConversionTest, MissingReferenceFilesAndCarFoldersAreClearErrors) {
  const std::string archive = PutCar("roadster", sample::RoadsterCar());
  fs::remove(data + "/careng.ctb");
  auto run = Velkor("/c4", archive);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'careng.ctb' is missing from '" + data + "/'"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "cars/roadster"), std::vector<std::string>{"car.viv"});

  fs::remove_all(home / "nfs3/GameData");
  run = Velkor("/ci3", PutCar("nfs4car", Nfs4Car(0)));
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("GameData/CarModel"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "nfs3"), std::vector<std::string>{});
}

// Replaced installations: kept under <data>/replaced/NFS4/<car>, put back by --restore.
class KeptCarTest : public CarConversionTest {
 protected:
  test::RunResult Restore(const std::string& path) { return test::RunVelkor({"--restore", path}, home.path(), {}, home / "bin/velkor"); }
  // The kept copies' contents, in name order.
  std::vector<Bytes> KeptCopies() {
    std::vector<Bytes> copies;
    for (const auto& name : test::ListNames(kept)) copies.push_back(test::ReadBytes(kept + "/" + name));
    return copies;
  }
  std::vector<NamedBytes> car = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", car);
  const std::string installed = home / "nfs4/Data/Cars/Velkor Roadster/car.viv";
  const std::string kept = data + "/replaced/NFS4/Velkor Roadster";
};

TEST_F(KeptCarTest, AReplacedArchiveIsKeptUnlessIdenticalAndRestoreSwapsItBack) {
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  const Bytes first = test::ReadBytes(installed);
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  EXPECT_FALSE(test::PathExists(kept)) << "an archive holding the new bytes is not kept";

  std::erase_if(car, [](const NamedBytes& m) { return m.first == "fedata.ger"; });
  PutCar("Velkor Roadster", car);
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  const Bytes second = test::ReadBytes(installed);
  ASSERT_NE(second, first);
  const auto names = test::ListNames(kept);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(\d{8}-\d{6}\.viv)"))) << names[0];
  EXPECT_EQ(KeptCopies(), std::vector<Bytes>{first});

  auto run = Restore(installed);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(home / "nfs4/Data/Cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});
  auto copies = KeptCopies();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(std::count(copies.begin(), copies.end(), second), 1) << "the restoration kept what it replaced";

  // Again, through a path spelled in another case: the newest kept copy comes back.
  run = Restore(home / "nfs4/data/cars/Velkor Roadster/CAR.VIV");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), second);
  EXPECT_EQ(KeptCopies().size(), 3u) << "kept copies are never deleted";
}

TEST_F(KeptCarTest, RestoringNeedsAKeptCopyInAGamesCarFolder) {
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  const Bytes first = test::ReadBytes(installed);
  auto run = Restore(installed);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'" + kept + "'"), std::string::npos) << run.err;
  run = Restore(archive);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("not a car's archive in a game's car folder"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), first);
}

TEST_F(KeptCarTest, AnOldArchiveThatCannotBeKeptIsNotReplaced) {
  ASSERT_EQ(Velkor("/ci4", archive).exitStatus, 0);
  const Bytes first = test::ReadBytes(installed);
  test::WriteText(data + "/replaced", "a file where the folder belongs");
  std::erase_if(car, [](const NamedBytes& m) { return m.first == "fedata.ger"; });
  PutCar("Velkor Roadster", car);
  const auto run = Velkor("/ci4", archive);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("nothing was replaced"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(home / "nfs4/Data/Cars/Velkor Roadster"), std::vector<std::string>{"car.viv"});
}

}  // namespace
}  // namespace velkor
