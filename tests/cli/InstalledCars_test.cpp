// The installed cars of both games: listed with their facts, shared serial numbers marked,
// unreadable archives listed with the reason; an installation warns about a taken serial.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

Bytes Nfs4Car(const std::string& serial, const std::string& name) {
  std::vector<std::string> texts(41, "");
  texts[2] = name;
  return test::BuildViv({{"CARP.TXT", test::ToBytes("Serial Number(0)\r\n " + serial + " \r\nclass(1)\r\nB\r\n(80)\r\n1\r\n")},
                         {"car.fce", test::MakeFce4(1, 1, 1)},
                         {"fedata.eng", test::MakeFrontEnd(Bytes(960, 0), texts)}});
}

TEST(InstalledCars, AreListedWithSharedSerialsAndAnInstallationWarnsAboutATakenSerial) {
  test::CliHome home;
  const Bytes roadster = sample::PackArchive(sample::RoadsterCar());
  home.Put(home.Nfs3Cars() + "/road/car.viv", roadster);
  home.Put(home.Nfs3Cars() + "/Twin/CAR.VIV", roadster);  // any case; same serial as "road"
  home.Put(home.Nfs3Cars() + "/broken/car.viv", test::ToBytes("BIGF but no archive"));
  home.Put(home.Nfs3Cars() + "/empty/readme.txt", test::ToBytes("no car here"));
  const Bytes four = Nfs4Car("7301", "Caf\xe9 Racer");  // 7301 too, but another game
  home.Put(home.Nfs4Cars() + "/four/car.viv", four);
  test::MakeFolder(home.Data() + "/replaced/NFS3/road");
  for (const std::string kept : {"20260101-101010.viv", "20260101-101010-2.viv", "notes.txt"})
    test::WriteText(home.Data() + "/replaced/NFS3/road/" + kept, "old");

  const auto table = home.Run({"--cars"}), json = home.Run({"--cars", "--json"});
  ASSERT_TRUE(test::Ended(table, 0));
  const std::string size = std::to_string(roadster.size());
  EXPECT_EQ(table.out,
            "game  folder  name             serial  class   size  kept  note\n"
            "NFS3  broken                                     19     0  cannot be read: '" + home.Nfs3Cars() +
                "/broken/car.viv' at offset 8: a directory of 544108320 entries does not fit an archive of 19 bytes\n"
            "NFS3  road    Velkor Roadster  7301    2      " + size + "     2  serial number also used by 'Twin'\n"
            "NFS3  Twin    Velkor Roadster  7301    2      " + size + "     0  serial number also used by 'road'\n"
            "NFS4  four    Caf\xe9 Racer       7301    B       " + std::to_string(four.size()) + "     0\n");

  const auto parsed = nlohmann::json::parse(json.out);
  ASSERT_EQ(parsed.size(), 4u);
  EXPECT_EQ(parsed[0]["problem"].get<std::string>().rfind("'" + home.Nfs3Cars() + "/broken/car.viv'", 0), 0u);
  EXPECT_EQ(parsed[1]["sharesSerialWith"], nlohmann::json::array({"Twin"}));
  EXPECT_EQ(parsed[1]["keptCopies"], 2);
  EXPECT_EQ(parsed[3], (nlohmann::json{{"game", "NFS4"}, {"folder", "four"}, {"archive", home.Nfs4Cars() + "/four/car.viv"},
                                       {"name", "Caf\xc3\xa9 Racer"}, {"serial", "7301"}, {"class", "B"},
                                       {"size", four.size()}, {"keptCopies", 0},
                                       {"sharesSerialWith", nlohmann::json::array()}, {"problem", nullptr}}));

  // (DesktopNotification_test pins the whole message and that the car is installed.)
  home.Put(home.Nfs4Cars() + "/other/car.viv", Nfs4Car("1234", "Other"));
  const std::string input = home.Put("cars/road/car.viv", roadster);
  const std::string warning = "velkor: warning: 'road' has the serial number 7301, which the NFS4 car 'four' also has;";
  for (int run = 0; run < 2; ++run)  // installed again over itself: the car does not clash with itself
    EXPECT_TRUE(test::Ended(home.Run({"/ci4", input}), 0, {warning})) << run;

  // What --check found decides its exit status. (Check_test pins the report; the check harness
  // under fuzz/ that --check and --cars write nothing.)
  Bytes fce4m = test::MakeFce4(1, 1, 1);
  fce4m[0] = 0x15;
  const std::string bad = home.Put("cars/bad/car.viv", test::BuildViv({{"car.fce", fce4m}}));
  const auto before = test::Snapshot(home.path());
  const auto check = home.Run({"--check", bad});
  EXPECT_EQ(check.exitStatus, 1);
  EXPECT_EQ(check.err, "velkor: '" + bad + "' cannot be converted: 3 errors above\n") << check.out;  // and 2 missing
  EXPECT_EQ(test::Snapshot(home.path()), before);
}

}  // namespace
}  // namespace velkor
