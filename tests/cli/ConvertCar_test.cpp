// Cars, single files and archives through the real program. The expected bytes come from the file
// conversions, which Model_test and Carp_test check byte for byte against the formats.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <tuple>

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

Names NamesOf(const std::vector<NamedBytes>& members) {
  Names names;
  for (const auto& member : members) names.push_back(member.first);
  return names;
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
  std::string PutCar(const std::string& folder, const std::vector<NamedBytes>& members) {
    return home.PutCar("cars/" + folder, members);
  }
  test::CliHome home;
};

TEST_F(ConvertCarTest, ToNfs4InstallsEveryMemberInOrderWithTheExpectedBytes) {
  const auto input = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", input);
  const Bytes before = test::ReadBytes(archive);
  const auto run = home.Run({"/ci4", archive});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto out = test::ParseViv(test::ReadBytes(home.Nfs4Cars() + "/Velkor Roadster/car.viv"));
  EXPECT_EQ(NamesOf(out), (Names{"carp.txt", "carp1.txt", "carp2.txt", "carp3.txt", "car.fce", "car1.fce", "car2.fce",
                                 "car3.fce", "car00.tga", "car100.tga", "car200.tga", "car300.tga", "dash.fsh",
                                 "dash.fce", "dash00.tga", "fedata.fsh", "fedata.eng", "fedata.ger", "careng.ctb",
                                 "careng.ltb", "careng.bnk", "ocareng.bnk", "scareng.bnk"}));
  const Bytes carp = CarpTo4(MemberOf(input, "carp.txt")), model = FceTo4(MemberOf(input, "car.fce"));
  for (const std::string n : {"", "1", "2", "3"}) {
    EXPECT_EQ(MemberOf(out, "carp" + n + ".txt"), carp) << n;
    EXPECT_EQ(MemberOf(out, "car" + n + ".fce"), model) << n;
    EXPECT_EQ(MemberOf(out, "car" + n + "00.tga"), FlipRows(MemberOf(input, "car00.tga"))) << n;
  }
  for (const auto& [name, bytes] : sample::Nfs4ReferenceCar()) EXPECT_EQ(MemberOf(out, name), bytes) << name;
  EXPECT_EQ(MemberOf(out, "fedata.fsh"), MemberOf(input, "fedata.fsh"));
  for (const std::string name : {"fedata.eng", "fedata.ger"})
    EXPECT_EQ(MemberOf(out, name), TextsTo4(MemberOf(input, name)));
  EXPECT_EQ(test::ReadBytes(archive), before);
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), Names{"car.viv"});
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Velkor Roadster"), Names{"car.viv"});
}

TEST_F(ConvertCarTest, ToNfs3TakesTheHighestVariantKeepsTheFrontEndAndReplacesTheCarsOwnReferenceFiles) {
  const auto nfs3 = sample::RoadsterCar();
  auto car = Nfs4Car(2);
  const Bytes ger = TextsTo4(MemberOf(nfs3, "fedata.ger")), eng = TextsTo4(MemberOf(nfs3, "fedata.eng"));
  // Texts stored out of language order, beside images and the car's own reference files.
  car.insert(car.end(), {{"fedata.ger", ger}, {"fedata.fsh", MemberOf(nfs3, "fedata.fsh")}, {"fedata.eng", eng},
                         {"dash.qfs", test::ToBytes("own dashboard")}, {"careng.bnk", test::ToBytes("own engine")}});
  const std::string archive = PutCar("variants", car);
  const auto run = home.Run({"/c3", archive});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ListNames(home / "cars/variants"), (Names{"car.vi3", "car.viv"}));
  const auto out = test::ParseViv(test::ReadBytes(home / "cars/variants/car.vi3"));
  EXPECT_EQ(NamesOf(out), (Names{"carp.txt", "car.fce", "card.fce", "car00.tga", "dash.qfs", "fedata.fsh", "fedata.eng",
                                 "fedata.ger", "careng.bnk", "ocareng.bnk", "scareng.bnk"}));
  EXPECT_EQ(MemberOf(out, "carp.txt"), CarpTo3(MemberOf(car, "carp2.txt")));
  EXPECT_EQ(MemberOf(out, "car.fce"), FceTo3(MemberOf(car, "car2.fce"), 0));
  EXPECT_EQ(MemberOf(out, "card.fce"), FceTo3(MemberOf(car, "car2.fce"), 1));
  EXPECT_EQ(MemberOf(out, "car00.tga"), FlipRows(MemberOf(car, "car200.tga")));
  EXPECT_EQ(MemberOf(out, "fedata.fsh"), MemberOf(nfs3, "fedata.fsh"));
  EXPECT_EQ(MemberOf(out, "fedata.eng"), TextsTo3(eng));
  EXPECT_EQ(MemberOf(out, "fedata.ger"), TextsTo3(ger));
  for (const std::string name : {"dash.qfs", "careng.bnk", "ocareng.bnk", "scareng.bnk"})
    EXPECT_EQ(MemberOf(out, name), test::ReadBytes(home.Data() + "/" + name)) << name;

  // Without numbered models the plain files are used.
  const auto plain = Nfs4Car(0);
  ASSERT_EQ(home.Run({"/ci3", PutCar("plain", plain)}).exitStatus, 0);
  const auto installed = test::ParseViv(test::ReadBytes(home.Nfs3Cars() + "/plain/car.viv"));
  EXPECT_EQ(MemberOf(installed, "carp.txt"), CarpTo3(MemberOf(plain, "carp.txt")));
  EXPECT_EQ(MemberOf(installed, "car.fce"), FceTo3(MemberOf(plain, "car.fce"), 0));
  EXPECT_EQ(test::ListNames(home / "cars/plain"), Names{"car.viv"});
}

TEST_F(ConvertCarTest, AFailedInstallKeepsTheInstalledCarAndRemovesAFolderItCreated) {
  auto car = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", car);
  ASSERT_EQ(home.Run({"/ci4", archive}).exitStatus, 0);
  const std::string installed = home.Nfs4Cars() + "/Velkor Roadster";
  const Bytes good = test::ReadBytes(installed + "/car.viv");
  // The same car with a texture cut short: the conversion fails late, after the unpacking.
  for (auto& [name, bytes] : car)
    if (name == "car00.tga") bytes.resize(100);
  PutCar("Velkor Roadster", car);
  auto run = home.Run({"/ci4", archive});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("car00.tga"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(installed + "/car.viv"), good);
  EXPECT_EQ(test::ListNames(installed), Names{"car.viv"});
  EXPECT_EQ(test::ListNames(home / "cars/Velkor Roadster"), Names{"car.viv"});
  run = home.Run({"/ci4", PutCar("Another", car)});  // no car folder before: none after
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars()), Names{"Velkor Roadster"});
  EXPECT_EQ(test::ListNames(home / "cars/Another"), Names{"car.viv"});
}

TEST_F(ConvertCarTest, MissingReferenceFilesAndCarFoldersAreClearErrors) {
  const std::string archive = PutCar("roadster", sample::RoadsterCar());
  std::filesystem::remove(home.Data() + "/careng.ctb");
  auto run = home.Run({"/c4", archive});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'careng.ctb' is missing from '" + home.Data() + "/'"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "cars/roadster"), Names{"car.viv"});

  std::filesystem::remove_all(home / "nfs3/GameData");
  run = home.Run({"/ci3", PutCar("nfs4car", Nfs4Car(0))});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("GameData/CarModel"), std::string::npos) << run.err;
  EXPECT_EQ(test::ListNames(home / "nfs3"), Names{});
}

// Each kind goes to its own conversion, beside the input; nothing is installed.
TEST_F(ConvertCarTest, EachSingleFileConvertsBesideItself) {
  const Bytes fce3 = test::MakeFce3(5, 7, 2), fce4 = test::MakeFce4(5, 7, 2);
  const Bytes texts3 = test::MakeFrontEnd(Bytes(47, 0), Names(40, "t"));
  const Bytes texts4 = test::MakeFrontEnd(Bytes(960, 0), Names(41, "t"));
  const Bytes carp3 = test::ToBytes("mass(2)\r\n1465\r\n"), carp4 = test::ToBytes("(80)\r\n1.5\r\n");
  const std::vector<std::tuple<std::string, std::string, Bytes, std::string, Bytes>> cases = {
      {"/c4", "car.fce", fce3, "car.fc4", FceTo4(fce3)}, {"/ci3", "x.fce", fce4, "x.fc3", FceTo3(fce4, 0)},
      {"/ci4", "xfedata.eng", texts3, "xfedata.en4", TextsTo4(texts3)},
      {"/c3", "fedata.swe", texts4, "fedata.sw3", TextsTo3(texts4)},
      {"/c4", "carp3.txt", carp3, "carp3.tx4", CarpTo4(carp3)}, {"/c3", "carp.txt", carp4, "carp.tx3", CarpTo3(carp4)}};
  test::MakeFolder(home / "work");
  for (const auto& [sw, name, bytes, output, expected] : cases) {
    test::WriteBytes(home / ("work/" + name), bytes);
    const auto run = home.Run({sw, home / ("work/" + name)});
    EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string())) << name;
    EXPECT_EQ(test::ReadBytes(home / ("work/" + output)), expected) << output;
  }
  EXPECT_EQ(test::ListNames(home / "work").size(), 2 * cases.size());
  EXPECT_TRUE(test::ListNames(home.Nfs3Cars()).empty() && test::ListNames(home.Nfs4Cars()).empty());
}

// Replaced installations: kept under <data>/replaced/NFS4/<car>, put back by --restore.
TEST_F(ConvertCarTest, AReplacedArchiveIsKeptUnlessIdenticalAndRestoreSwapsItBack) {
  auto car = sample::RoadsterCar();
  const std::string archive = PutCar("Velkor Roadster", car), installed = home.Nfs4Cars() + "/Velkor Roadster/car.viv";
  const std::string kept = home.Data() + "/replaced/NFS4/Velkor Roadster";
  const auto keptCopies = [&] {
    std::vector<Bytes> copies;
    for (const auto& name : test::ListNames(kept)) copies.push_back(test::ReadBytes(kept + "/" + name));
    return copies;
  };
  const auto expectFailure = [&](const std::vector<std::string>& args, const std::string& message) {
    const auto run = home.Run(args);
    EXPECT_EQ(run.exitStatus, 1) << args[0];
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  };
  ASSERT_EQ(home.Run({"/ci4", archive}).exitStatus, 0);
  const Bytes first = test::ReadBytes(installed);
  expectFailure({"--restore", installed}, "'" + kept + "'");
  expectFailure({"--restore", archive}, "not a car's archive in a game's car folder");
  ASSERT_EQ(home.Run({"/ci4", archive}).exitStatus, 0);
  EXPECT_FALSE(test::PathExists(kept)) << "an archive holding the new bytes is not kept";

  // Another car by the same name: an old archive that cannot be kept is not replaced.
  std::erase_if(car, [](const NamedBytes& m) { return m.first == "fedata.ger"; });
  PutCar("Velkor Roadster", car);
  test::WriteText(home.Data() + "/replaced", "a file where the folder belongs");
  expectFailure({"/ci4", archive}, "nothing was replaced");
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Velkor Roadster"), Names{"car.viv"});
  std::filesystem::remove(home.Data() + "/replaced");

  ASSERT_EQ(home.Run({"/ci4", archive}).exitStatus, 0);
  const Bytes second = test::ReadBytes(installed);
  ASSERT_NE(second, first);
  const auto names = test::ListNames(kept);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(\d{8}-\d{6}\.viv)"))) << names[0];
  EXPECT_EQ(keptCopies(), std::vector<Bytes>{first});

  auto run = home.Run({"--restore", installed});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), first);
  EXPECT_EQ(test::ListNames(home.Nfs4Cars() + "/Velkor Roadster"), Names{"car.viv"});
  const auto copies = keptCopies();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(std::count(copies.begin(), copies.end(), second), 1) << "the restoration kept what it replaced";

  // Again, through a path spelled in another case: the newest kept copy comes back.
  run = home.Run({"--restore", home / "nfs4/data/cars/Velkor Roadster/CAR.VIV"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(installed), second);
  EXPECT_EQ(keptCopies().size(), 3u) << "kept copies are never deleted";
}

TEST(ArchiveCommands, PackingThenExtractingElsewhereGivesTheSameFiles) {
  test::TempDir home;
  // An empty file, a blank and bytes 0x80-0xFF in names, a member its kind cannot read, data
  // of every byte value; a sub-folder and a dot file are left out.
  std::string all;
  for (int i = 0; i < 256 * 3; ++i) all.push_back(static_cast<char>(i));
  const std::vector<std::pair<std::string, std::string>> files = {
      {"sub/inner", "x"}, {".hidden", "x"}, {"empty", ""}, {"with blank.txt", "blank"}, {"all.bin", all},
      {"caf\xe9 \x80\xff.bin", "high"}, {"car00.tga", "not an image"}};
  test::MakeFolder(home / "car/sub");
  for (const auto& [name, content] : files) test::WriteText(home / ("car/" + name), content);
  const std::vector<std::string> packed = {"all.bin", "caf\xe9 \x80\xff.bin", "car00.tga", "empty", "with blank.txt"};

  const auto pack = test::RunVelkor({"/p", home / "car/"}, home.path());
  ASSERT_EQ(pack.exitStatus, 0) << pack.err;
  EXPECT_EQ(pack.out + pack.err, "");
  std::vector<test::NamedBytes> members;
  for (const auto& name : packed) members.emplace_back(name, test::ReadBytes(home / ("car/" + name)));
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), test::BuildViv(members)) << "members in name order";
  test::MakeFolder(home / "elsewhere");
  std::filesystem::rename(home / "car.viv", home / "elsewhere/car.viv");
  const auto extract = test::RunVelkor({"/e", home / "elsewhere/car.viv"}, home.path());
  ASSERT_EQ(extract.exitStatus, 0) << extract.err;
  EXPECT_EQ(extract.out, "");
  EXPECT_EQ(extract.err.rfind("velkor: warning: '" + (home / "elsewhere/car/car00.tga") + "'", 0), 0u) << extract.err;
  EXPECT_EQ(test::ListNames(home / "elsewhere/car"), packed);
  for (const auto& [name, bytes] : members) EXPECT_EQ(test::ReadBytes(home / ("elsewhere/car/" + name)), bytes) << name;
  EXPECT_TRUE(test::PathExists(home / "elsewhere/car.viv"));

  // A directory larger than 64 KiB: 4,500 entries of 22 bytes each, data from offset 99,016.
  test::MakeFolder(home / "many");
  std::vector<test::NamedBytes> many;
  for (int i = 0; i < 4500; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "part-%04d.bin", i);
    many.emplace_back(name, Bytes(static_cast<std::size_t>(1 + i % 7), static_cast<std::uint8_t>(i)));
    test::WriteBytes(home / ("many/" + std::string(name)), many.back().second);
  }
  ASSERT_EQ(test::RunVelkor({"/p", home / "many"}, home.path()).exitStatus, 0);
  EXPECT_EQ(test::ReadBytes(home / "many.viv"), test::BuildViv(many));

  // An empty folder packs into an empty archive; a folder that is not there is an error.
  test::MakeFolder(home / "empty");
  ASSERT_EQ(test::RunVelkor({"/p", home / "empty"}, home.path()).exitStatus, 0);
  EXPECT_EQ(test::ReadBytes(home / "empty.viv"), test::BuildViv({}));
  const auto missing = test::RunVelkor({"/p", home / "nothing"}, home.path());
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err, "velkor: cannot pack '" + (home / "nothing") + "': there is no such folder\n");
  EXPECT_FALSE(test::PathExists(home / "nothing.viv"));
}

// Extracting again never loses an edit: files holding the member's bytes and the user's own
// files are fine; a file with other bytes refuses the extraction before anything is written.
TEST(ArchiveCommands, ExtractingAgainKeepsEditsAndRefusesBeforeWritingAnything) {
  test::TempDir home;
  // An image archive of one record "img1" at offset 24 (16-byte header, one 8-byte entry).
  const Bytes fsh = {'S', 'H', 'P', 'I', 32, 0, 0, 0, 1, 0, 0, 0, 'G', 'I', 'M', 'X',
                     'i', 'm', 'g', '1', 24, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a.txt", test::ToBytes("one")},
                                                     {"b.txt", test::ToBytes("two")}, {"dash.fsh", fsh}}));
  const auto extract = [&] { return test::RunVelkor({"/e", home / "car.viv"}, home.path()); };
  ASSERT_EQ(extract().exitStatus, 0);
  test::WriteText(home / "car/mine.txt", "my own file");
  auto run = extract();
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadText(home / "car/mine.txt"), "my own file");

  test::WriteText(home / "car/b.txt", "edited");
  std::filesystem::remove(home / "car/a.txt");
  run = extract();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'" + (home / "car/b.txt") + "' already exists with other content"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("move the folder '" + (home / "car") + "' away"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadText(home / "car/b.txt"), "edited");
  EXPECT_FALSE(test::PathExists(home / "car/a.txt")) << "nothing is written";

  test::WriteText(home / "car/b.txt", "two");
  test::WriteText(home / "car/dash/img1", "edited image");
  run = extract();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("'" + (home / "car/dash/img1") + "'"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadText(home / "car/dash/img1"), "edited image");
}

TEST(ArchiveCommands, PackingAgainLeavesAnIdenticalArchiveAndRewritesOneThatDiffersAnywhere) {
  test::TempDir home;
  test::MakeFolder(home / "car");
  test::WriteText(home / "car/a", "xy");
  test::WriteText(home / "car/b", "z");
  const auto pack = [&] {
    const auto run = test::RunVelkor({"/p", home / "car"}, home.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
  };
  pack();
  const Bytes first = test::BuildViv({{"a", test::ToBytes("xy")}, {"b", test::ToBytes("z")}});
  ASSERT_EQ(test::ReadBytes(home / "car.viv"), first);
  std::filesystem::create_hard_link(home / "car.viv", home / "alias.viv");
  pack();
  EXPECT_TRUE(std::filesystem::equivalent(home / "car.viv", home / "alias.viv")) << "rewritten with the same bytes";

  // The same data under another name of the same length: only the directory differs.
  std::filesystem::rename(home / "car/b", home / "car/c");
  pack();
  const Bytes renamed = test::BuildViv({{"a", test::ToBytes("xy")}, {"c", test::ToBytes("z")}});
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), renamed);
  EXPECT_EQ(test::ReadBytes(home / "alias.viv"), first);

  // An archive with the right bytes followed by more.
  Bytes longer = renamed;
  longer.push_back('!');
  test::WriteBytes(home / "car.viv", longer);
  pack();
  EXPECT_EQ(test::ReadBytes(home / "car.viv"), renamed);
}

TEST(ArchiveCommands, AFolderTooBigForAnArchiveIsRefusedAndNothingIsWritten) {
  test::TempDir home;
  test::MakeFolder(home / "out/big");
  test::WriteText(home / "out/big/a", "x");
  // Sparse: 16 + 2 * 10 bytes of header and directory, "x", then this one ends 17 bytes
  // past the last byte an archive can hold.
  test::WriteText(home / "out/big/b", "");
  std::filesystem::resize_file(home / "out/big/b", 2147483647u - 20);
  const auto refused = [&](const std::string& why) {
    // Refused before the big file is read: the program may write no file past 1 MiB
    // (SIGXFSZ would end it).
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{1 << 20, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto run = test::RunVelkor({"/p", home / "out/big"}, home.path());
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "velkor: cannot pack '" + (home / "out/big.viv") + "': the archive would be " + why +
                           " bytes a VIV archive can address\n");
    EXPECT_EQ(test::ListNames(home / "out"), std::vector<std::string>{"big"});
  };
  refused("2147483664 bytes, more than the 2147483647");
  test::WriteText(home / "out/big/c", "y");  // now another entry would start beyond the limit
  refused("larger than the 2147483647");
}

TEST(ArchiveCommands, NamesThatShareLongBeginningsArePackedInByteOrder) {
  test::TempDir home;
  // In byte order: a name before the longer names it begins, then by the first byte that
  // differs, however far in.
  const std::vector<std::string> ordered = {"same_start_01234567",    "same_start_0123456789",
                                            "same_start_01234567890", "same_start_0123456789a",
                                            "same_start_0123456789b", "same_start_1"};
  test::MakeFolder(home / "many");
  for (const std::size_t i : {4, 1, 5, 0, 3, 2}) test::WriteText(home / ("many/" + ordered[i]), ordered[i]);
  ASSERT_EQ(test::RunVelkor({"/p", home / "many"}, home.path()).exitStatus, 0);
  std::vector<test::NamedBytes> members;
  for (const auto& name : ordered) members.emplace_back(name, test::ToBytes(name));
  EXPECT_EQ(test::ReadBytes(home / "many.viv"), test::BuildViv(members));
}

TEST(ArchiveCommands, ListingShowsTheDirectoryAndWritesNothing) {
  test::TempDir home;
  test::WriteBytes(home / "car.viv", test::BuildViv({{"a b", {'x', 'y', 'z'}}, {"carp.txt", {'(', '8', '0', ')'}},
                                                     {"e\x01", {}}}));
  const auto list = test::RunVelkor({"--list", home / "car.viv"}, home.path());
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  // 16 + (3 + 9) + (8 + 9) + (2 + 9) = 56.
  EXPECT_EQ(list.out, home / "car.viv" + ": 3 entries, 63 bytes\n"
                      "index      offset      length  kind     name\n"
                      "    0          56           3  -        a b\n"
                      "    1          59           4  CARP4    carp.txt\n"
                      "    2          63           0  -        e\\x01\n");
  EXPECT_EQ(test::ListNames(home.path()), std::vector<std::string>{"car.viv"});
}

}  // namespace
}  // namespace velkor
