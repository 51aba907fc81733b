#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/RunVelkor.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::PutU32;
using test::TempDir;

// A home whose settings say both games are installed, in empty folders of their own, and
// a folder "work" for the loose files.
struct Installed {
  Installed() {
    test::MakeFolder(home / ".config/Velkor");
    test::MakeFolder(home / "nfs3");
    test::MakeFolder(home / "nfs4");
    test::MakeFolder(home / "work");
    test::WriteText(home / ".config/Velkor/registry.reg",
                    "Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n"
                    "\"Installed\"=dword:00000001\n"
                    "\"NFS3Path\"=\"" + home / "nfs3/" + "\"\n"
                    "\"NFS4Path\"=\"" + home / "nfs4/" + "\"\n");
  }
  std::string Work(const std::string& name) const { return home / ("work/" + name); }
  test::RunResult Run(const std::string& sw, const std::string& name) const {
    return test::RunVelkor({sw, Work(name)}, home.path());
  }
  std::vector<std::string> WorkNames() const { return test::ListNames(home / "work"); }

  TempDir home;
};

std::string Nfs3Performance() {
  std::string text;
  for (int label = 0; label < 80; ++label)
    text += "parameter(" + std::to_string(label) + ")\r\nvalue " + std::to_string(label) + "\r\n";
  return text;
}

TEST(SingleFileCli, EachKindConvertsBesideItselfAndInstallsNothing) {
  Installed env;
  test::WriteBytes(env.Work("car.fce"), test::MakeFce3(5, 7, 2));
  test::WriteBytes(env.Work("x.fce"), test::MakeFce4(5, 7, 2));
  Bytes nfs3Header(47, 0);
  nfs3Header[45] = 40;
  test::WriteBytes(env.Work("xfedata.eng"), test::MakeFrontEnd(nfs3Header, std::vector<std::string>(40, "t")));
  test::WriteText(env.Work("carp3.txt"), Nfs3Performance());

  for (const auto& [sw, name] : std::vector<std::pair<std::string, std::string>>{
           {"/c4", "car.fce"}, {"/ci3", "x.fce"}, {"/ci4", "xfedata.eng"}, {"/c4", "carp3.txt"}}) {
    const auto run = env.Run(sw, name);
    EXPECT_EQ(run.exitStatus, 0) << name << ": " << run.err;
    EXPECT_EQ(run.err, "") << name;
  }
  EXPECT_EQ(env.WorkNames(), (std::vector<std::string>{"car.fc4", "car.fce", "carp3.tx4", "carp3.txt", "x.fc3",
                                                        "x.fce", "xfedata.en4", "xfedata.eng"}));
  EXPECT_EQ(test::ReadBytes(env.Work("car.fc4")).size(), 8248u + 140 * 5 + 68 * 7);
  EXPECT_EQ(test::ReadBytes(env.Work("x.fc3")).size(), 7940u + 80 * 5 + 56 * 7);
  EXPECT_EQ(test::ReadBytes(env.Work("xfedata.en4")).size(), 1124u + 40 * 2 + 1);
  EXPECT_NE(test::ReadText(env.Work("carp3.tx4")).find("(79)\r\nvalue 79\r\n"), std::string::npos);
  EXPECT_TRUE(test::ListNames(env.home / "nfs3").empty());
  EXPECT_TRUE(test::ListNames(env.home / "nfs4").empty());
}

TEST(SingleFileCli, NamesNoRuleKnowsAreRefused) {
  Installed env;
  for (const std::string name : {"fedata.jpn", "CAR.FCE", "notes.txt", "carp4.txt"}) {
    test::WriteText(env.Work(name), "content");
    const auto run = env.Run("/c4", name);
    EXPECT_EQ(run.exitStatus, 1) << name;
    EXPECT_EQ(run.err.rfind("velkor: cannot convert '" + env.Work(name) + "'", 0), 0u) << run.err;
  }
  EXPECT_EQ(env.WorkNames(), (std::vector<std::string>{"CAR.FCE", "carp4.txt", "fedata.jpn", "notes.txt"}));
}

TEST(SingleFileCli, CorruptInputsFailWithoutTouchingTheOutput) {
  Installed env;
  const Bytes good = test::MakeFce3(3, 2, 1);
  Bytes parts65 = good;
  PutU32(parts65, 0xF8, 65);
  Bytes huge = good;
  PutU32(huge, 0x08, 0x7FFFFFFF);
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {Bytes(good.begin(), good.begin() + 5000), "truncated"},
      {Bytes(good.begin(), good.end() - 10), "blockOffsets[6]"},
      {parts65, "partCount 65"},
      {huge, "elementCount 2147483647"},
  };
  for (const auto& [bytes, what] : cases) {
    test::WriteBytes(env.Work("car.fce"), bytes);
    test::WriteText(env.Work("car.fc4"), "older output");
    const auto run = env.Run("/c4", "car.fce");
    EXPECT_EQ(run.exitStatus, 1) << what;
    EXPECT_EQ(run.err.rfind("velkor: '" + env.Work("car.fce") + "'", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(what), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadText(env.Work("car.fc4")), "older output");
    EXPECT_EQ(env.WorkNames(), (std::vector<std::string>{"car.fc4", "car.fce"}));
  }

  const auto missing = env.Run("/c3", "fedata.eng");
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find(env.Work("fedata.eng")), std::string::npos) << missing.err;
  EXPECT_EQ(env.WorkNames(), (std::vector<std::string>{"car.fc4", "car.fce"}));
}

}  // namespace
}  // namespace velkor
