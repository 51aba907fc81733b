// The command line as the real program receives it: each argument exactly as a file manager
// passes it.

#include <gtest/gtest.h>

#include "cli/RunVelkor.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

TEST(ExactPaths, AnArgumentIsTheNameButForOnePairOfEnclosingQuotes) {
  test::TempDir home;
  const Bytes unrelated = test::ToBytes("an unrelated archive");
  test::WriteBytes(home / "cars.viv", unrelated);
  for (const char* folder : {"cars", "cars\"", "\"lead", "pair", "two words"}) {
    test::MakeFolder(home / folder);
    test::WriteText(home / folder + "/member", folder);
  }
  const auto packed = [&](const char* folder) { return test::BuildViv({{"member", test::ToBytes(folder)}}); };

  // A trailing quote belongs to the name: the folder 'cars"' goes into 'cars".viv'.
  auto run = test::RunVelkor({"/p", home / "cars\""}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(home / "cars.viv"), unrelated);
  ASSERT_TRUE(test::PathExists(home / "cars\".viv"));
  EXPECT_EQ(test::ReadBytes(home / "cars\".viv"), packed("cars\""));

  // So does a leading one: '"/…/lead' is a relative name that names no folder here.
  run = test::RunVelkor({"/p", "\"" + (home / "lead")}, home.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("there is no such folder"), std::string::npos) << run.err;
  EXPECT_FALSE(test::PathExists(home / "lead.viv"));

  // One pair of enclosing quotes is removed; several arguments are joined with one blank.
  run = test::RunVelkor({"/p", "\"" + (home / "pair") + "\""}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(home / "pair.viv"), packed("pair"));
  run = test::RunVelkor({"--notify", "/p", home / "two", "words"}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(home / "two words.viv"), packed("two words"));
}

TEST(SampleGenerator, OptionsAreNeverTakenForTheFolder) {
  test::TempDir dir;
  const auto sample = [&](const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--chdir=" + dir.path(), VELKOR_SAMPLE_EXE};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunVelkor(all, dir.path(), {}, "/usr/bin/env");
  };
  const std::string usage = "usage: velkor-sample FOLDER [--realistic]\n";
  auto run = sample({"--help"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, usage);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--bogus"}, {"--realistic"}, {}}) {
    run = sample(args);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out + run.err, usage);
  }
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{}) << "no folder made";
  ASSERT_EQ(sample({"out"}).exitStatus, 0);
  EXPECT_TRUE(test::PathExists(dir / "out/cars/roadster/car.viv"));
}

}  // namespace
}  // namespace velkor
