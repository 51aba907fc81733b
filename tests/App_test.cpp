#include <gtest/gtest.h>

#include <sstream>

#include "app/CarName.h"
#include "app/CheckReport.h"
#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/KeptCars.h"
#include "base/Errors.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ProgramLocation.h"
#include "sample/SampleCar.h"
#include "settings/RegistryStore.h"
#include "support/Environment.h"
#include "support/GeometryModel.h"
#include "support/ModelBuilder.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

const std::string kSettings = "Software\\Velkor\\velkor\\Settings";

class ConverterAppTest : public ::testing::Test {
 protected:
  std::string Exe() const { return dir / "bin" + platform::kPathSeparator + "velkor"; }
  void Start(const std::string& commandLine) {
    ConverterApp(registry, Exe(), "velkor").InitInstance(ParseCommandLine(commandLine));
  }
  std::optional<std::string> Setting(const char* name) {
    return registry.ReadString(RegistryRoot::CurrentUser, kSettings, name);
  }
  test::TempDir dir;
  test::TempDir home;  // for the first start's file-manager entries
  test::ScopedEnvironment environment{test::HomeAt(home.path())};
  FileRegistry registry{dir / "registry.reg"};
};

TEST_F(ConverterAppTest, OnlyTheFirstStartRunsTheSetup) {
  Start("");
  EXPECT_EQ(registry.ReadDword(RegistryRoot::CurrentUser, kSettings, "Installed"), 1u);
  for (const char* name : {"NFS3Path", "NFS4Path"}) EXPECT_EQ(Setting(name), "N/A");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"registry.reg"});
  registry.WriteString(RegistryRoot::LocalMachine, "Software\\Electronic Arts\\Need For Speed III", "InstallPath",
                       dir.path());
  registry.WriteString(RegistryRoot::ClassesRoot, ".txt", "", "mine");
  Start("");
  EXPECT_EQ(Setting("NFS3Path"), "N/A");
  EXPECT_EQ(registry.ReadString(RegistryRoot::ClassesRoot, ".txt", ""), "mine");
}

// The newest copy goes by the time in its name, then by its number counted as a number; names
// of other shapes, folders and unfinished copies are passed over.
TEST(KeptCars, TheNewestCopyGoesByTimeThenNumber) {
  test::TempDir dir;
  EXPECT_FALSE(NewestKeptCopy(dir / "none"));
  for (const char* name : {"20240101-120000.viv", "20240101-120000-2.viv", "20240101-120000-10.viv",
                           "20231231-235959-11.viv", "29991231-235959.txt", "notes.viv", "29991231-235959-x.viv",
                           ".29991231-235959.viv.velkor-1.tmp"})
    test::WriteText(dir / name, name);
  test::MakeFolder(dir / "29991231-235959.viv");
  EXPECT_EQ(NewestKeptCopy(dir.path()), platform::JoinPath(dir.path(), "20240101-120000-10.viv"));
}

TEST(CommandLine, NamesTheCommandItsPathAndNotify) {
  using Parsed = std::tuple<std::string, std::string, bool, bool>;  // command, path, needs no settings, notify
  for (const auto& [text, want] : std::vector<std::pair<std::string, Parsed>>{
           {"/ci4 \"my car/car.viv\"", {"/ci4", "my car/car.viv", false, false}},
           // Further blanks belong to the path, nothing is trimmed; a quote at either end goes.
           {"/c3  a b ", {"/c3", " a b ", false, false}}, {"/e \"car.viv", {"/e", "car.viv", false, false}},
           {"/e car.viv\"", {"/e", "car.viv", false, false}},
           {"", {"", "", false, false}}, {"--list x", {"--list", "x", true, false}},
           {"--version", {"--version", "", true, false}},
           {"-h", {"--help", "", true, false}}, {"/?", {"--help", "", true, false}},
           {"--setup", {"--setup", "", false, false}},
           {"--notify /ci4 my car/car.viv", {"/ci4", "my car/car.viv", false, true}},
           {"/e --notify", {"/e", "--notify", false, false}}}) {
    const Command c = ParseCommandLine(text);
    ASSERT_TRUE(c.Valid()) << text << ": " << c.problem;
    EXPECT_EQ(Parsed(c.row->Name(), c.path, c.NeedsNoSettings(), c.notify), want) << text;
  }
  // --notify comes first and needs a command; a failure of a command that asked for it notifies.
  for (const auto& [text, notify] : std::vector<std::pair<const char*, bool>>{
           {"/C3 car.viv", false}, {"/x foo", false}, {"/e", false}, {"/e \"\"", false}, {"/ci5 x", false},
           {"--list", false}, {"--setup x", false}, {"--restore", false}, {"--notify", true}, {"--notify ", true},
           {"--notify car.viv", true}, {"--notify --notify /e x", true}, {"--notifyx /e x", false}}) {
    EXPECT_FALSE(ParseCommandLine(text).Valid()) << text;
    EXPECT_EQ(ParseCommandLine(text).notify, notify) << text;
  }
}

TEST(CommandLine, RowsTakeNothingAFlagWordOnePathOrSeveralWordsFromArgumentsAndText) {
  constexpr CommandRow rows[] = {
      {.spellings = {"--cars"}, .optionalFlag = "--json"},
      {.spellings = {"--thumbnail"}, .operands = Operands::Words, .wordCount = 3, .usageOperands = "SIZE IN OUT"},
      {.spellings = {"--check", "-c"}, .operands = Operands::OnePath},
  };
  using Args = std::vector<std::string>;
  using Parsed = std::tuple<std::string, std::string, Args, bool, bool, std::string>;  // ... flag, notify, problem
  const auto parsed = [&](const Command& c) {
    return Parsed(c.row ? std::string(c.row->Name()) : "?", c.path, c.words, c.flag, c.notify, c.problem);
  };
  for (const auto& [args, want] : std::vector<std::pair<Args, Parsed>>{
           {{}, {"", "", {}, false, false, ""}},
           {{"--cars"}, {"--cars", "", {}, false, false, ""}},
           {{"--notify", "--cars", "--json"}, {"--cars", "", {}, true, true, ""}},
           {{"--cars", "--xml"}, {"--cars", "", {}, false, false, "'--cars' takes only '--json' after it"}},
           {{"--thumbnail", "128", "a b.fce", "c\""}, {"--thumbnail", "", {"128", "a b.fce", "c\""}, false, false, ""}},
           {{"--thumbnail", "128", "x"}, {"--thumbnail", "", {}, false, false, "'--thumbnail' needs SIZE IN OUT"}},
           {{"-c", "a\""}, {"--check", "a\"", {}, false, false, ""}},
           {{"--check", "\""}, {"--check", "\"", {}, false, false, ""}},
           {{"--check", "\"a b"}, {"--check", "\"a b", {}, false, false, ""}},
           {{"--check", "\"\""}, {"--check", "", {}, false, false, "'--check' needs a path"}},
           {{"--check", "a", "", "b"}, {"--check", "a  b", {}, false, false, ""}},
           {{"--check", "--notify"}, {"--check", "--notify", {}, false, false, ""}},
           {{"--notify"}, {"", "", {}, false, true, "'--notify' needs a command after it"}},
           {{"--check x"}, {"?", "", {}, false, false, "unknown command '--check x'"}}}) {
    EXPECT_EQ(parsed(ParseCommandLine(platform::CommandLine{std::nullopt, args}, rows)), want) << testing::PrintToString(args);
  }
  // One text, as Windows passes it: blanks separate words outside quotes, and the path keeps
  // its own quote rules.
  for (const auto& [text, want] : std::vector<std::pair<std::string, Parsed>>{
           {"--thumbnail 128  \"a b.fce\" c", {"--thumbnail", "", {"128", "a b.fce", "c"}, false, false, ""}},
           {"--notify --cars --json", {"--cars", "", {}, true, true, ""}},
           {"--check a\"", {"--check", "a", {}, false, false, ""}}}) {
    EXPECT_EQ(parsed(ParseCommandLine(platform::CommandLine{text, {}}, rows)), want) << text;
  }
}

std::string Path(std::initializer_list<const char*> parts) {
  std::string path = platform::kWindows ? "C:" : "";
  for (const char* part : parts) path += platform::kPathSeparator + std::string(part);
  return path;
}

TEST(CommandLine, TheCarIsNamedAfterTheArchivesFolderAndTheProgramFolderEndsWithASeparator) {
  EXPECT_EQ(CarNameFromPath(Path({"games", "My Cars", "viper", "car.viv"})), "viper");
  EXPECT_EQ(CarNameFromPath(Path({"cars", "viper", "viper-gts.viv"})), "viper");
  EXPECT_EQ(CarNameFromPath(Path({"cars", "viper", ".", "car.viv"})), "viper");
  EXPECT_THROW(CarNameFromPath(Path({"car.viv"})), CommandError);
  EXPECT_THROW(CarNameFromPath(Path({"x", "..", "car.viv"})), CommandError);
  EXPECT_EQ(ProgramFolderOf(Path({"opt", "velkor", "velkor"})), Path({"opt", "velkor", ""}));
  EXPECT_EQ(ProgramFolderOf(Path({"velkor"})), Path({""}));
}

using namespace test;

constexpr const char* kNames3[] = {"high body", "high left front wheel", "high right front wheel",
                                   "high left rear wheel", "high right rear wheel", "medium body"};
constexpr const char* kNames4[] = {":HB", ":HLFW", ":HRFW", ":HLRW", ":HRRW", ":MB"};

// A model of `parts` parts (at most 6), each of three vertices at 1.0 and one triangle
// joining them, named as the game's standard parts.
Bytes GoodModel(bool nfs4, std::uint32_t parts) {
  std::vector<GeometryPart> list;
  for (std::uint32_t p = 0; p < parts; ++p)
    list.push_back({nfs4 ? kNames4[p] : kNames3[p], {}, {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, {{}, {}, {}}, {{0, 1, 2}}, {{}}});
  Bytes b = GeometryModel(nfs4, list, {});
  if (!nfs4) b[0] = 0x13, b[1] = b[2] = 0x10;
  return b;
}

// A performance file with every label of the game; `values` replaces some.
Bytes Carp(bool nfs4, std::map<int, std::string> values = {}) {
  std::string text;
  for (int n = 0; n < (nfs4 ? 81 : 80); ++n) {
    const std::string value = values.count(n) ? values[n] : n == 7 ? "0,1.5,2.5" : std::to_string(n);
    text += "d(" + std::to_string(n) + ")\r\n" + value + "\r\n";
  }
  return ToBytes(text);
}

struct Checked {
  std::string out;
  std::string failure;  // the CommandError's message; empty when the input can be converted
};

class CheckTest : public ::testing::Test {
 protected:
  Checked Check(const std::string& name, const Bytes& bytes) {
    WriteBytes(dir / name, bytes);
    std::ostringstream out;
    Checked result;
    try {
      CheckPath(dir / name, paths, out);
    } catch (const CommandError& e) {
      result.failure = e.what();
    }
    result.out = out.str();
    return result;
  }
  static void ExpectIn(const std::string& out, const std::vector<std::string>& expected) {
    for (const std::string& text : expected) EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  }
  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  TempDir dir;
  GamePaths paths{kNotAvailable, kNotAvailable};
};

TEST_F(CheckTest, ModelRangesIndexesCoordinatesAndPartsAreChecked) {
  for (const bool nfs4 : {false, true}) {
    const Bytes good = GoodModel(nfs4, 6);
    Checked run = Check("good.fce", good);
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(Count(run.out, "warning:"), 0u) << run.out;
    EXPECT_NE(run.out.find(std::string(nfs4 ? "an NFS4" : "an NFS3") + " model, 6 parts, 18 vertices, 6 triangles"),
              std::string::npos) << run.out;

    Bytes bad = good;
    const std::size_t header = nfs4 ? 8248 : 7940, tables = nfs4 ? 0x420 : 0x3FC;
    PutU32(bad, tables + 256 + 4 * 5, 100);          // part 5: 100 vertices from 15
    PutU32(bad, tables + 4 * 2, 1);                  // part 2 starts inside part 0
    PutU32(bad, header + 24 * 18 + 56 * 3 + 8, 7);   // triangle 3 (part 3) names vertex 7
    PutU32(bad, header + 4 * 4, 0x7FC00000);         // vertex 1, coordinate 1: NaN
    std::fill_n(bad.begin() + (nfs4 ? 0xE28 : 0xE04) + 64, 64, 0);
    PutText(bad, (nfs4 ? 0xE28 : 0xE04) + 64, nfs4 ? ":XX" : "high body");
    run = Check("bad.fce", bad);
    EXPECT_EQ(run.failure, "") << "warnings only: the model still converts";
    ExpectIn(run.out, {"warning: bad.fce: part 5 (\"" + std::string(nfs4 ? ":MB" : "medium body") +
                           "\"): vertices 15 to 114 (first 15, count 100) are not within the model's 18 vertices",
                       "part 2 (\"" + std::string(nfs4 ? ":HRFW" : "high right front wheel") +
                           "\"): its vertices from 1 overlap those of part 0",
                       "): its vertices from 3 overlap those of part 2",
                       "triangle 3 vertex index 7 is outside the part's vertices 0 to 2",
                       "vertex 1 coordinate 1 is not a finite number",
                       nfs4 ? "no part is named \":HLFW\"" : "part 1 (\"high body\"): the name of part 0"});
    EXPECT_EQ(Count(run.out, "warning:"), 6u) << run.out;
  }
  // What the readers refuse, and a model of neither game, are errors.
  Bytes fce4m = GoodModel(true, 6);
  fce4m[0] = 0x15;
  Checked run = Check("m.fce", fce4m);
  EXPECT_NE(run.out.find("error: m.fce: signature = 0x00101015: an FCE4M model"), std::string::npos) << run.out;
  EXPECT_EQ(run.failure, "'" + (dir / "m.fce") + "' cannot be converted: 1 error above");
  Bytes cut = GoodModel(false, 6);
  cut.resize(cut.size() - 1);
  EXPECT_NE(Check("cut.fce", cut).failure, "");
  EXPECT_NE(Check("few.fce", GoodModel(false, 4)).out.find("partCount = 4: NFS3 takes the body"), std::string::npos);
}

TEST_F(CheckTest, PerformanceLabelsNumbersAndTheNfs3TableIndex) {
  for (const bool nfs4 : {false, true}) {
    Checked run = Check("carp.txt", Carp(nfs4));
    EXPECT_EQ(Count(run.out, "warning:"), 0u) << run.out;
    EXPECT_NE(run.out.find(std::string(nfs4 ? "an NFS4" : "an NFS3") + " performance file, serial number 0, class 1"),
              std::string::npos) << run.out;
  }
  std::string text = ToText(Carp(false, {{3, "6 gears"}, {14, "100"}, {7, "1, 2, 2.6"}, {20, ""}}));
  text.replace(text.find("(41)"), 4, "(4l)");  // a missing label
  text += "again(12)\r\n1\r\n";               // and one twice
  const Checked run = Check("carp.txt", ToBytes(text));
  EXPECT_EQ(run.failure, "");
  // round(100 x 2.6) / 256 = 1.02: index 1 is fine.
  ExpectIn(run.out, {"warning: carp.txt: label (3) \"number of gears (reverse + neutral + forward gears)\" = "
                     "\"6 gears\": \"gears\" is not a number",
                     "label (41) \"Slide Assistance Factor\" is missing",
                     "label (12) \"engine minimum rpm\" occurs 2 times",
                     "label (20) \"gas increasing curve\" has no value"});
  EXPECT_EQ(Count(run.out, "warning:"), 4u) << run.out;
  const Checked crash = Check("carp.txt", Carp(false, {{14, "98.79744"}, {7, "1,2,83.057831"}}));
  EXPECT_EQ(Count(crash.out, "warning:"), 0u) << "floor(round(98.79744 x 83.057831) / 256) = 32";
  const Checked edge = Check("carp.txt", Carp(false, {{14, "100"}, {7, "1,2,102.4"}}));
  EXPECT_EQ(Count(edge.out, "warning:"), 0u) << "floor(round(100 x 102.4) / 256) = 40, the last index there is";
  const Checked over = Check("carp.txt", Carp(true, {{14, "100"}, {7, "1,2,105"}}));  // 10500 / 256: 41
  EXPECT_NE(over.out.find("gives 41 after rounding and dividing by 256; the car converted to NFS3 needs 0 to 40"),
            std::string::npos) << over.out;
}

TEST_F(CheckTest, FrontEndOffsetsAndNuls) {
  const std::vector<std::string> texts(40, "text");
  Checked run = Check("fedata.eng", MakeFrontEnd(Bytes(47, 0), texts));
  EXPECT_EQ(Count(run.out, "warning:"), 0u) << run.out;
  EXPECT_NE(run.out.find("an NFS3 front-end file"), std::string::npos);
  Bytes header(47, 0);
  header[0] = 'x';  // offsets that fit neither layout leave the first byte to decide, as in the recogniser
  Bytes bad = MakeFrontEnd(header, texts);
  PutU32(bad, 47 + 4 * 3, 9999);
  PutU32(bad, 47 + 4 * 4, 20);
  bad.pop_back();  // the last text loses its NUL
  run = Check("fedata.eng", bad);
  EXPECT_EQ(run.failure, "");
  ExpectIn(run.out, {"warning: fedata.eng: textOffsets[3] = 9999 is not inside the file of 406 bytes",
                     "textOffsets[4] = 20 points into the header",
                     "textOffsets[39] = 402: the text has no NUL before the end of the file"});
  EXPECT_NE(Check("fedata.ger", Bytes(100, 'x')).failure, "") << "shorter than the header: the reader refuses it";
}

TEST_F(CheckTest, CarsNeedTheirMembersAndWarnAboutTheOtherGamesAndSharedSerials) {
  auto car = sample::RoadsterCar();
  for (auto& [name, bytes] : car)
    if (name == "car.fce") bytes = GoodModel(false, 6);
  Checked run = Check("car.viv", BuildViv(car));
  EXPECT_EQ(run.failure, "");
  EXPECT_EQ(Count(run.out, "warning:"), 0u) << run.out;
  EXPECT_NE(run.out.find("': an NFS3 car, 6 members\n  carp.txt: an NFS3 performance file, serial number 7301"),
            std::string::npos) << run.out;

  // An installed NFS4 car with the same serial number; the checked car itself is skipped.
  paths.nfs4Path = dir / "nfs4/";
  MakeFolder(dir / "nfs4"), MakeFolder(dir / "nfs4/Data"), MakeFolder(dir / "nfs4/Data/Cars");
  MakeFolder(dir / "nfs4/Data/Cars/same");
  WriteBytes(dir / "nfs4/Data/Cars/same/car.viv", BuildViv({{"carp.txt", Carp(true, {{0, "7301"}})}}));
  car.emplace_back("car2.fce", Bytes{});
  car.emplace_back("card.fce", ToBytes("not a model"));  // not read by converting: a warning
  std::erase_if(car, [](const auto& m) { return m.first == "car00.tga"; });
  run = Check("car.viv", BuildViv(car));
  EXPECT_EQ(run.failure, "'" + (dir / "car.viv") + "' cannot be converted: 1 error above") << run.out;
  ExpectIn(run.out, {"error: car00.tga: missing; converting the car needs it",
                     "warning: car2.fce: a member of NFS4 cars", "(converting does not read it)",
                     "warning: carp.txt: serial number = 7301: the installed NFS4 car 'same' has it too, so the "
                     "car converted to NFS4 would share it"});
  EXPECT_EQ(Count(run.out, "warning:"), 4u) << run.out;  // car2.fce: other game and unreadable; card.fce; serial

  const Checked nfs4 = Check("car.viv", BuildViv({{"carp.txt", Carp(true)}, {"car.fce", GoodModel(true, 6)},
                                                  {"car1.fce", GoodModel(true, 6)}, {"car00.tga", Bytes{}}}));
  ExpectIn(nfs4.out, {"an NFS4 car, 4 members; converting to NFS3 takes variant 1", "error: carp1.txt: missing",
                      "error: car100.tga: missing"});
}

}  // namespace
}  // namespace velkor
