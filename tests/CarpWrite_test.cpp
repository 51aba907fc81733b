#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "files/Errors.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

// The description of every label, typed out here independently of the program's table.
const char* const kDescriptions[81] = {
    "Serial Number", "Car Classification", "mass [kg]", "number of gears (reverse + neutral + forward gears)",
    "gear shift delay (ticks)", "shift blip in rpm (size 8)", "brake blip in rpm (size 8)",
    "velocity to rpm ratio (size 8)", "gear ratios (size 8)", "gear efficiency (size 8)",
    "torque curve (size 21) in 500 rpm increments", "final gear", "engine minimum rpm", "engine redline in rpm",
    "maximum velocity of car [m/s]", "top speed cap [m/s]", "front drive ratio", "Uses Antilock Brake System",
    "maximum braking deceleration", "front bias brake ratio", "gas increasing curve", "gas decreasing curve",
    "brake increasing curve", "brake decreasing curve", "wheel base", "front grip bias", "power steering (boolean)",
    "minimum steering acceleration", "turn in ramp", "turn out ramp", "lateral acceleration grip multiplier",
    "aerodynamic downforce multiplier", "gas off factor", "g transfer factor", "turning circle radius",
    "tire specs front", "tire specs rear", "tire wear", "Slide Multiplier", "Spin Velocity Cap", "Slide Velocity Cap",
    "Slide Assistance Factor", "Push Factor", "Low Turn Factor (the lower the figure, the better the turn)",
    "High Turn Factor (the lower the figure, the better the turn)", "pitch roll factor", "road bumpiness factor",
    "spoiler function type", "spoiler activation speed [m/s]", "gradual turn cutoff", "medium turn cutoff",
    "sharp turn cutoff", "medium turn speed modifier", "sharp turn speed modifier", "extreme turn speed modifier",
    "subdivide level", "camera arm", "Body Damage", "Engine Damage", "Suspension Damage", "Engine Tuning",
    "Brake Balance", "Steering Speed", "Gear Rat Factor", "Suspension Stiffness", "Aero Factor", "Tire Factor",
    "AI ACC0 acceleration table section", "AI ACC1 acceleration table section", "AI ACC2 acceleration table section",
    "AI ACC3 acceleration table section", "AI ACC4 acceleration table section", "AI ACC5 acceleration table section",
    "AI ACC6 acceleration table section", "AI ACC7 acceleration table section",
    "number of gears (automatic, r, n, forward)", "velocity to rpm ratio automatic(size 8)",
    "gear ratios automatic (size 8)", "gear efficiency automatic (size 8)", "final gear automatic",
    "understeer gradient"};

std::vector<int> Nfs3Order() {
  std::vector<int> order{0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  for (int n = 12; n <= 74; ++n) order.push_back(n);
  return order;
}

std::vector<int> Nfs4Order() {
  std::vector<int> order{0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  for (int n = 12; n <= 30; ++n) order.push_back(n);
  order.push_back(80);
  for (int n = 31; n <= 74; ++n) order.push_back(n);
  return order;
}

// A car's values: plain numbers, lists, and the awkward bytes a value may hold.
std::string ExampleValue(int n) {
  switch (n) {
    case 0: return "11";
    case 2: return "1465.000000";
    case 10: return "180,200,220,240,255,262,270,275,280,282,281,276,268,254,240,220,0,0,0,0,0";
    case 17: return "1   ";                          // trailing blanks
    case 35: return " 225 , 45 ,\t17";                // spaces, commas, a tab
    case 57: return "\x80\x9F\xA0\xC3\xA9\xFF";       // bytes 0x80-0xFF
    case 80: return "0.750000";
    default: return std::to_string(n) + ".500000";
  }
}

std::string ExpectedFile(const std::vector<int>& order) {
  std::string text;
  for (const int n : order)
    text += std::string(kDescriptions[n]) + "(" + std::to_string(n) + ")\r\n" + ExampleValue(n) + "\r\n";
  return text;
}

template <typename T>
std::unique_ptr<T> ExampleFile(const std::string& path) {
  auto file = std::make_unique<T>(path);
  for (std::size_t n = 0; n < file->values.size(); ++n) file->values[n] = ExampleValue(static_cast<int>(n));
  return file;
}

TEST(CarpWrite, Nfs3FileHasTheNfs3OrderByteForByte) {
  TempDir dir;
  auto file = ExampleFile<Carp3File>(dir / "own.txt");
  const auto before = file->values;
  EXPECT_EQ(file->SaveAs(dir / "carp.txt"), 1);

  const std::string written = test::ReadText(dir / "carp.txt");
  EXPECT_EQ(written, ExpectedFile(Nfs3Order()));
  EXPECT_EQ(written.rfind("Serial Number(0)\r\n11\r\nCar Classification(1)\r\n1.500000\r\nmass [kg](2)\r\n", 0), 0u);
  EXPECT_EQ(written.find("(80)"), std::string::npos);
  EXPECT_EQ(file->size, static_cast<std::int32_t>(written.size()));
  EXPECT_EQ(file->path, dir / "own.txt");
  EXPECT_EQ(file->values, before);

  Carp3File reloaded(dir / "carp.txt");
  reloaded.Load();
  EXPECT_EQ(reloaded.values, before);
}

TEST(CarpWrite, Nfs4FileHasTheNfs4OrderByteForByte) {
  TempDir dir;
  auto file = ExampleFile<Carp4File>(dir / "carp.txt");
  EXPECT_EQ(file->Save(), 1);

  const std::string written = test::ReadText(dir / "carp.txt");
  EXPECT_EQ(written, ExpectedFile(Nfs4Order()));
  EXPECT_NE(written.find("\r\nlateral acceleration grip multiplier(30)\r\n30.500000\r\n"
                         "understeer gradient(80)\r\n0.750000\r\naerodynamic downforce multiplier(31)\r\n"),
            std::string::npos);
  EXPECT_EQ(file->size, static_cast<std::int32_t>(written.size()));

  Carp4File reloaded(dir / "carp.txt");
  reloaded.Load();
  EXPECT_EQ(reloaded.values, file->values);
}

TEST(CarpConvert, Nfs3ToNfs4AndBackGivesWhatTheNfs3WriterWrites) {
  TempDir dir;
  // The source is out of order, has odd line text and an entry labelled 80 that NFS3 ignores.
  std::string source = "understeer gradient(80)\r\n9.9\r\n";
  for (int n = 79; n >= 0; --n) source += "(" + std::to_string(n) + ")\r\n" + ExampleValue(n) + "\r\n";
  test::WriteText(dir / "source.txt", source);

  Carp3File original(dir / "source.txt");
  original.Load();
  original.SaveAs(dir / "direct.txt");
  EXPECT_EQ(original.ConvertTo4(dir / "nfs4.txt"), 1);

  Carp4File nfs4(dir / "nfs4.txt");
  nfs4.Load();
  for (int n = 0; n < 80; ++n) EXPECT_EQ(nfs4.values[n], ExampleValue(n)) << n;
  EXPECT_EQ(nfs4.values[80], "1.000000") << "always the default, never the source's own entry 80";
  EXPECT_EQ(nfs4.ConvertTo3(dir / "back.txt"), 1);

  EXPECT_EQ(test::ReadText(dir / "back.txt"), test::ReadText(dir / "direct.txt"));
  EXPECT_EQ(test::ReadText(dir / "source.txt"), source);
}

TEST(CarpConvert, Nfs4FilesDifferingOnlyInLabel80GiveTheSameNfs3File) {
  TempDir dir;
  auto a = ExampleFile<Carp4File>(dir / "a4.txt");
  auto b = ExampleFile<Carp4File>(dir / "b4.txt");
  b->values[80] = "-3.25";
  a->ConvertTo3(dir / "a3.txt");
  b->ConvertTo3(dir / "b3.txt");
  EXPECT_EQ(test::ReadText(dir / "a3.txt"), test::ReadText(dir / "b3.txt"));
  EXPECT_EQ(test::ReadText(dir / "a3.txt"), ExpectedFile(Nfs3Order()));
  EXPECT_EQ(b->values[80], "-3.25");
}

TEST(CarpConvert, ConvertingOntoTheSourceReplacesItAndKeepsTheObject) {
  TempDir dir;
  auto nfs4 = ExampleFile<Carp4File>(dir / "carp.txt");
  nfs4->Save();
  nfs4->ConvertTo3(nfs4->path);
  EXPECT_EQ(test::ReadText(dir / "carp.txt"), ExpectedFile(Nfs3Order()));
  EXPECT_EQ(nfs4->values[80], "0.750000");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"carp.txt"});
}

TEST(CarpWrite, AFailedWriteRaisesAndLeavesNoFile) {
  TempDir dir;
  const std::string target = dir / "no-such-folder/carp.txt";
  auto nfs3 = ExampleFile<Carp3File>(dir / "carp.txt");
  EXPECT_THROW(nfs3->SaveAs(target), FileError);
  EXPECT_EQ(nfs3->size, 0);
  EXPECT_THROW(nfs3->ConvertTo4(target), FileError);
  EXPECT_THROW(ExampleFile<Carp4File>(dir / "x")->ConvertTo3(target), FileError);
  EXPECT_TRUE(test::ListNames(dir.path()).empty());
}

}  // namespace
}  // namespace velkor
