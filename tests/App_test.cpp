#include <gtest/gtest.h>

#include "app/CarName.h"
#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "app/KeptCars.h"
#include "base/Errors.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ProgramLocation.h"
#include "settings/RegistryStore.h"
#include "support/Environment.h"
#include "support/ModelBuilder.h"

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

TEST(CommandLine, SplitsAtTheFirstBlankAndRemovesTheQuotes) {
  using Split = std::pair<std::string, std::string>;
  // Further blanks belong to the path, nothing is trimmed; the quote rules are independent.
  for (const auto& [text, want] : std::vector<std::pair<std::string, Split>>{
           {"/p \"C:\\My Cars\\Fast One\"", {"/p", "C:\\My Cars\\Fast One"}}, {"/e car.viv", {"/e", "car.viv"}},
           {"/c3  a b ", {"/c3", " a b "}}, {"/e \"car.viv", {"/e", "car.viv"}}, {"/e car.viv\"", {"/e", "car.viv"}},
           {"/e", {"", ""}}}) {
    const SplitText split = SplitCommandLine(text);
    EXPECT_EQ(Split(split.commandSwitch, split.commandPath), want) << text;
  }
}

TEST(CommandLine, NamesTheCommandItsPathAndNotify) {
  using Parsed = std::tuple<std::string, std::string, bool, bool>;  // command, path, needs no settings, notify
  for (const auto& [text, want] : std::vector<std::pair<std::string, Parsed>>{
           {"/ci4 \"my car/car.viv\"", {"/ci4", "my car/car.viv", false, false}},
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

}  // namespace
}  // namespace velkor
