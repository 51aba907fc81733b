#include <gtest/gtest.h>

#include "cli/RunVelkor.h"
#include "support/ModelBuilder.h"

namespace velkor {
namespace {

using Names = std::vector<std::string>;

// Each kind goes to its own conversion (told apart by the output's size), beside the input.
TEST(SingleFileCli, EachKindConvertsBesideItselfAndInstallsNothing) {
  test::CliHome home;
  const auto work = [&](const std::string& name) { return home / ("work/" + name); };
  test::MakeFolder(home / "work");
  test::WriteBytes(work("car.fce"), test::MakeFce3(5, 7, 2));
  test::WriteBytes(work("x.fce"), test::MakeFce4(5, 7, 2));
  test::WriteBytes(work("xfedata.eng"), test::MakeFrontEnd(Bytes(47, 0), Names(40, "t")));
  test::WriteBytes(work("fedata.swe"), test::MakeFrontEnd(Bytes(960, 0), Names(41, "t")));
  test::WriteText(work("carp3.txt"), "mass(2)\r\n1465\r\n");
  test::WriteText(work("carp.txt"), "(80)\r\n1.5\r\n");
  for (const auto& [sw, name] : std::vector<std::pair<std::string, std::string>>{
           {"/c4", "car.fce"}, {"/ci3", "x.fce"}, {"/ci4", "xfedata.eng"}, {"/c3", "fedata.swe"}, {"/c4", "carp3.txt"},
           {"/c3", "carp.txt"}}) {
    const auto run = home.Run({sw, work(name)});
    EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string())) << name;
  }
  EXPECT_EQ(test::ListNames(home / "work"), (Names{"car.fc4", "car.fce", "carp.tx3", "carp.txt", "carp3.tx4", "carp3.txt",
                                                   "fedata.sw3", "fedata.swe", "x.fc3", "x.fce", "xfedata.en4",
                                                   "xfedata.eng"}));
  EXPECT_EQ(test::ReadBytes(work("car.fc4")).size(), 8248u + 140 * 5 + 68 * 7);
  EXPECT_EQ(test::ReadBytes(work("x.fc3")).size(), 7940u + 80 * 5 + 56 * 7);
  EXPECT_EQ(test::ReadBytes(work("xfedata.en4")).size(), 1124u + 40 * 2 + 1);
  EXPECT_EQ(test::ReadBytes(work("fedata.sw3")).size(), 207u + 40 * 2);
  const std::string carp4 = test::ReadText(work("carp3.tx4"));
  EXPECT_NE(carp4.find("mass [kg](2)\r\n1465\r\n"), std::string::npos);
  EXPECT_NE(carp4.find("(30)\r\n\r\nundersteer gradient(80)\r\n1.000000\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadText(work("carp.tx3")).find("(80)"), std::string::npos);
  EXPECT_TRUE(test::ListNames(home.Nfs3Cars()).empty() && test::ListNames(home.Nfs4Cars()).empty());
}

}  // namespace
}  // namespace velkor
