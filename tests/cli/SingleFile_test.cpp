#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli/HostileSupport.h"
#include "support/ModelBuilder.h"

namespace velkor {
namespace {

using Names = std::vector<std::string>;

// A home where both games are installed, with loose files in "work".
struct Home : test::HostileHome {
  Home() { test::MakeFolder(*this / "work"); }
  std::string Work(const std::string& name) const { return *this / ("work/" + name); }
  auto Run(const std::string& sw, const std::string& name) const { return test::RunVelkor({sw, Work(name)}, path()); }
};

TEST(SingleFileCli, EachKindConvertsBesideItselfAndInstallsNothing) {
  Home home;
  test::WriteBytes(home.Work("car.fce"), test::MakeFce3(5, 7, 2));
  test::WriteBytes(home.Work("x.fce"), test::MakeFce4(5, 7, 2));
  test::WriteBytes(home.Work("xfedata.eng"), test::MakeFrontEnd(Bytes(47, 0), Names(40, "t")));
  test::WriteText(home.Work("carp3.txt"), "mass(2)\r\n1465\r\n");
  for (const auto& [sw, name] : std::vector<std::pair<std::string, std::string>>{
           {"/c4", "car.fce"}, {"/ci3", "x.fce"}, {"/ci4", "xfedata.eng"}, {"/c4", "carp3.txt"}}) {
    const auto run = home.Run(sw, name);
    EXPECT_EQ(std::pair(run.exitStatus, run.err), std::pair(0, std::string())) << name;
  }
  EXPECT_EQ(test::ListNames(home / "work"),
            (Names{"car.fc4", "car.fce", "carp3.tx4", "carp3.txt", "x.fc3", "x.fce", "xfedata.en4", "xfedata.eng"}));
  EXPECT_EQ(test::ReadBytes(home.Work("car.fc4")).size(), 8248u + 140 * 5 + 68 * 7);
  EXPECT_EQ(test::ReadBytes(home.Work("x.fc3")).size(), 7940u + 80 * 5 + 56 * 7);
  EXPECT_EQ(test::ReadBytes(home.Work("xfedata.en4")).size(), 1124u + 40 * 2 + 1);
  const std::string carp4 = test::ReadText(home.Work("carp3.tx4"));
  EXPECT_NE(carp4.find("mass [kg](2)\r\n1465\r\n"), std::string::npos);
  EXPECT_NE(carp4.find("(30)\r\n\r\nundersteer gradient(80)\r\n1.000000\r\n"), std::string::npos);
  EXPECT_TRUE(test::ListNames(home.Nfs3Cars()).empty() && test::ListNames(home.Nfs4Cars()).empty());
}

// Names no rule knows, corrupt models and a missing file: exit 1, a message naming the file
// (and the fault), no output, and an older output left as it was.
TEST(SingleFileCli, RefusalsAndFailuresWriteNothing) {
  Home home;
  const Bytes good = test::MakeFce3(3, 2, 1);
  Bytes parts65 = good, huge = good;
  test::PutU32(parts65, 0xF8, 65);
  test::PutU32(huge, 0x08, 0x7FFFFFFF);
  using Case = std::tuple<std::string, Bytes, std::string, std::string>;  // name, bytes, message lead, fault
  for (const auto& [name, bytes, lead, fault] :
       {Case{"fedata.jpn", good, "cannot convert ", ""}, {"CAR.FCE", good, "cannot convert ", ""},
        {"notes.txt", good, "cannot convert ", ""}, {"carp4.txt", good, "cannot convert ", ""},
        {"car.fce", test::Slice(good, 0, 5000), "", "truncated"}, {"car.fce", parts65, "", "partCount 65"},
        {"car.fce", test::Slice(good, 0, good.size() - 10), "", "blockOffsets[6]"},
        {"car.fce", huge, "", "elementCount 2147483647"}}) {
    test::WriteBytes(home.Work(name), bytes);
    test::WriteText(home.Work("car.fc4"), "older output");
    const auto run = home.Run("/c4", name);
    EXPECT_EQ(run.exitStatus, 1) << name << " " << fault;
    EXPECT_EQ(run.err.rfind("velkor: " + lead + "'" + home.Work(name) + "'", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(fault), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadText(home.Work("car.fc4")), "older output");
  }
  const auto missing = home.Run("/c3", "fedata.eng");
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find(home.Work("fedata.eng")), std::string::npos) << missing.err;
  EXPECT_EQ(test::ListNames(home / "work"),
            (Names{"CAR.FCE", "car.fc4", "car.fce", "carp4.txt", "fedata.jpn", "notes.txt"}));
}

}  // namespace
}  // namespace velkor
