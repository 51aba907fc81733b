#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "base/Errors.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "support/ModelBuilder.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::ReadText;
using test::TempDir;

// The description of every label, typed out here independently of the program's table.
const char* const kDescriptions[81] = {"Serial Number", "Car Classification", "mass [kg]",
    "number of gears (reverse + neutral + forward gears)", "gear shift delay (ticks)", "shift blip in rpm (size 8)",
    "brake blip in rpm (size 8)", "velocity to rpm ratio (size 8)", "gear ratios (size 8)",
    "gear efficiency (size 8)", "torque curve (size 21) in 500 rpm increments", "final gear", "engine minimum rpm",
    "engine redline in rpm", "maximum velocity of car [m/s]", "top speed cap [m/s]", "front drive ratio",
    "Uses Antilock Brake System", "maximum braking deceleration", "front bias brake ratio", "gas increasing curve",
    "gas decreasing curve", "brake increasing curve", "brake decreasing curve", "wheel base", "front grip bias",
    "power steering (boolean)", "minimum steering acceleration", "turn in ramp", "turn out ramp",
    "lateral acceleration grip multiplier", "aerodynamic downforce multiplier", "gas off factor", "g transfer factor",
    "turning circle radius", "tire specs front", "tire specs rear", "tire wear", "Slide Multiplier",
    "Spin Velocity Cap", "Slide Velocity Cap", "Slide Assistance Factor", "Push Factor",
    "Low Turn Factor (the lower the figure, the better the turn)",
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

// A car's values: numbers, a list, trailing blanks, spaces with commas and a tab, bytes 0x80-0xFF.
std::string ExampleValue(int n) {
  const std::map<int, std::string> odd = {{10, "180,200,220,240,255,262,270,275,280,282,281,276,268,254,240,220,0,0,0"},
                                          {17, "1   "}, {35, " 225 , 45 ,\t17"}, {57, "\x80\x9F\xA0\xC3\xA9\xFF"}};
  return odd.count(n) ? odd.at(n) : std::to_string(n) + ".500000";
}

// The example file in each game's entry order: automatic parameters 75 to 79 follow their
// manual ones; NFS4 puts label 80 (with the value given) after label 30.
std::string ExpectedFile(bool nfs4, const std::string& value80 = ExampleValue(80)) {
  std::vector<int> order{0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  for (int n = 12; n <= 74; ++n) order.push_back(n);
  if (nfs4) order.insert(order.begin() + 36, 80);
  std::string text;
  for (const int n : order)
    text += kDescriptions[n] + ("(" + std::to_string(n) + ")\r\n") + (n == 80 ? value80 : ExampleValue(n)) + "\r\n";
  return text;
}

// Writes `text` as the file `name` and loads it as T.
template <typename T>
std::unique_ptr<T> Loaded(const TempDir& dir, const std::string& name, const std::string& text) {
  test::WriteText(dir / name, text);
  auto file = std::make_unique<T>(dir / name);
  file->Load();
  EXPECT_EQ(file->size, static_cast<std::int32_t>(text.size()));
  return file;
}

TEST(CarpLoad, ValuesAreTheLineAfterTheFirstOccurrenceOfTheLabel) {
  const std::string nested = "(10)\r\nten\r\n(3)\r\ngears (12)..behind\r\n(1)\r\none\r\n(12)\r\nx\r\n";
  const std::string last = "(0)\r\nfirst\r\n(1)\r\nlast without line end", lfOnly = "Serial Number(0)\nA1\n(1)\n2\n";
  struct Row { std::string text; int label; std::string want; };
  TempDir dir;
  for (const Row& row : {Row{nested, 3, "gears (12)..behind"}, {nested, 12, "behind"}, {nested, 1, "one"},
                         {lfOnly, 0, ""}, {lfOnly, 1, ""}, {last, 0, "first"}, {last, 1, ""}, {last, 2, ""}})
    EXPECT_EQ(Loaded<Carp4File>(dir, "carp.txt", row.text)->values[row.label], row.want) << row.text << row.label;
}

// A file loaded and saved elsewhere comes out as it went in. Towards NFS3 label 80 is dropped,
// so two files differing only there convert alike, even onto themselves, leaving nothing else.
TEST(CarpWrite, EachGameWritesItsOrderByteForByte) {
  TempDir dir;
  auto nfs3 = Loaded<Carp3File>(dir, "a3.txt", ExpectedFile(false));
  auto nfs4 = Loaded<Carp4File>(dir, "a4.txt", ExpectedFile(true));
  auto other = Loaded<Carp4File>(dir, "b4.txt", ExpectedFile(true, "-3.25"));
  nfs3->SaveAs(dir / "c3.txt"), nfs4->SaveAs(dir / "c4.txt");
  nfs4->ConvertTo3(nfs4->path);
  other->ConvertTo3(other->path);
  for (const auto& [name, asNfs4] : {std::pair{"c3.txt", false}, {"c4.txt", true}, {"a4.txt", false}, {"b4.txt", false}})
    EXPECT_EQ(ReadText(dir / name), ExpectedFile(asNfs4)) << name;
  EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"a3.txt", "a4.txt", "b4.txt", "c3.txt", "c4.txt"}));
}

TEST(CarpConvert, Nfs3ToNfs4PutsEveryLabelInPlaceAndFailuresLeaveNothing) {
  TempDir dir;
  // The source is out of order, has no descriptions and an entry labelled 80 that NFS3 ignores.
  std::string source = "understeer gradient(80)\r\n9.9\r\n";
  for (int n = 79; n >= 0; --n) source += "(" + std::to_string(n) + ")\r\n" + ExampleValue(n) + "\r\n";
  Loaded<Carp3File>(dir, "source.txt", source)->ConvertTo4(dir / "nfs4.txt");
  EXPECT_EQ(ReadText(dir / "nfs4.txt"), ExpectedFile(true, "1.000000"));
  EXPECT_THROW(Carp4File(dir / "nfs4.txt").ConvertTo3(dir / "no-such-folder/carp.txt"), FileError);
  const std::string missing = dir / "missing.txt";
  EXPECT_NE(test::MessageOf<FileError>([&] { Carp3File(missing).Load(); }).find(missing), std::string::npos);
  EXPECT_EQ(test::ListNames(dir.path()), (std::vector<std::string>{"nfs4.txt", "source.txt"}));
}

}  // namespace
}  // namespace velkor
