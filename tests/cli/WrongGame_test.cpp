// Conversions refuse input whose content says it is already of the target game or of
// neither game: exit 1, one message, nothing written.

#include <gtest/gtest.h>

#include <tuple>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

using test::NamedBytes;
using Names = std::vector<std::string>;

const std::string kToNfs3 = "\"Convert to NFS3\" (/c3, /ci3) converts it";
const std::string kToNfs4 = "\"Convert to NFS4\" (/c4, /ci4) converts it";

Bytes Fce4m() {
  Bytes model = test::MakeFce4(3, 2, 1);
  model[0] = 0x15;
  return model;
}

// A performance file with every label from 0 to `last`, as the games' files hold them.
Bytes FullCarp(int last) {
  std::string text;
  for (int n = 0; n <= last; ++n) text += "value " + std::to_string(n) + "(" + std::to_string(n) + ")\r\n7\r\n";
  return test::ToBytes(text);
}

std::vector<NamedBytes> CarWith(const std::vector<NamedBytes>& models) {
  std::vector<NamedBytes> car = {{"carp.txt", FullCarp(80)}, {"car00.tga", Bytes(40, 0)}};
  car.insert(car.end(), models.begin(), models.end());
  return car;
}

TEST(WrongGame, CarsAndLooseFilesOfTheTargetGameOrOfNeitherAreRefusedWithWhatConvertsThem) {
  test::CliHome home;
  const std::string nfs3 = home.PutCar("nfs3", sample::RoadsterCar());
  const std::string nfs4 = home.PutCar("nfs4", CarWith({{"car.fce", test::MakeFce4(4, 3, 2)}}));
  const std::string fce4m = home.PutCar("fce4m", CarWith({{"car.fce", Fce4m()}}));
  // The variant that a conversion to NFS3 would read decides, not the plain model.
  const std::string variant =
      home.PutCar("variant", CarWith({{"car.fce", test::MakeFce4(4, 3, 2)}, {"car2.fce", Fce4m()}, {"car1.fce", {}}}));
  const std::string garbage = home.PutCar("garbage", CarWith({{"car.fce", test::ToBytes("no model at all")}}));
  const std::string fce4mModel = "an FCE4M model, which neither game reads";
  const Bytes texts3 = test::MakeFrontEnd(Bytes(47, 0), Names(40, "text")),
              texts4 = test::MakeFrontEnd(Bytes(960, 0), Names(41, "text"));
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"/c3", nfs3, "is already an NFS3 car (its car.fce is an NFS3 model); " + kToNfs4},
      {"/c4", nfs4, "is already an NFS4 car (its car.fce is an NFS4 model); " + kToNfs3},
      {"/c3", fce4m, "is a car of neither game (its car.fce is " + fce4mModel + "); it cannot be converted"},
      {"/ci3", variant, "is a car of neither game (its car2.fce is " + fce4mModel + "); it cannot be converted"},
      {"/c3", garbage, "is not an NFS4 car (its car.fce is no model of either game, starting with 0x6D206F6E); it "
                       "cannot be converted to NFS3"},
      {"/c3", home.Put("loose/a.fce", test::MakeFce3(4, 3, 2)), "is already an NFS3 model; " + kToNfs4},
      {"/c4", home.Put("loose/b.fce", test::MakeFce4(4, 3, 2)), "is already an NFS4 model; " + kToNfs3},
      {"/c3", home.Put("loose/c.fce", Fce4m()), "is " + fce4mModel + "; it cannot be converted"},
      {"/c3", home.Put("loose/d.fce", Bytes(8000, 0xFF)), "is not an NFS4 model (it is no model of either game, "
       "starting with 0xFFFFFFFF); it cannot be converted to NFS3"},
      {"/c3", home.Put("loose/carp.txt", FullCarp(79)), "is already an NFS3 performance file; " + kToNfs4},
      {"/ci4", home.Put("loose/carp2.txt", FullCarp(80)), "is already an NFS4 performance file; " + kToNfs3},
      {"/c3", home.Put("loose/fedata.eng", texts3), "is already an NFS3 front-end file; " + kToNfs4},
      {"/c4", home.Put("loose/fedata.swe", texts4), "is already an NFS4 front-end file; " + kToNfs3},
  };
  for (const auto& [sw, path, message] : cases) {
    const auto before = test::Snapshot(home.path());
    const auto run = home.Run({sw, path});
    EXPECT_EQ(run.exitStatus, 1) << sw << " " << path;
    EXPECT_EQ(run.err, "velkor: '" + path + "' " + message + "\n") << sw;
    EXPECT_EQ(test::Snapshot(home.path()), before) << sw << " " << path;
  }

  // Where the content does not decide, the file converts as before.
  Bytes unsigned3 = test::MakeFce3(2, 1, 1);
  std::fill_n(unsigned3.begin(), 4, 0);
  const std::vector<std::tuple<std::string, std::string, Bytes>> undecided = {
      {"/c4", "any.fce", unsigned3},  // an NFS3 model has no signature
      {"/c3", "carp.txt", FullCarp(78)},                      // neither game's labels all there
      {"/c4", "fedata.ger", Bytes(1200, 0)},                  // offsets fit neither layout
  };
  for (const auto& [sw, name, bytes] : undecided)
    EXPECT_TRUE(test::Ended(home.Run({sw, home.Put("undecided/" + name, bytes)}), 0)) << name;
  EXPECT_EQ(test::ListNames(home / "undecided"),
            (Names{"any.fc4", "any.fce", "carp.tx3", "carp.txt", "fedata.ge4", "fedata.ger"}));
}

}  // namespace
}  // namespace velkor
