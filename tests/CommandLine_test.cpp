#include <gtest/gtest.h>

#include "app/CarName.h"
#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "base/Errors.h"
#include "platform/Platform.h"

namespace velkor {
namespace {

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

TEST(CommandLine, NamesTheActionTargetAndInstallFlag) {
  using Parsed = std::tuple<Action, Game, bool, std::string, bool>;  // ... path, needs no settings
  for (const auto& [text, want] : std::vector<std::pair<std::string, Parsed>>{
           {"/ci4 \"my car/car.viv\"", {Action::Convert, Game::Nfs4, true, "my car/car.viv", false}},
           {"/c3 a.fce", {Action::Convert, Game::Nfs3, false, "a.fce", false}},
           {"/ci3 x", {Action::Convert, Game::Nfs3, true, "x", false}},
           {"/c4 x", {Action::Convert, Game::Nfs4, false, "x", false}},
           {"/e x", {Action::Extract, Game::Nfs3, false, "x", false}}, {"/p x", {Action::Pack, Game::Nfs3, false, "x", false}},
           {"", {Action::None, Game::Nfs3, false, "", false}}, {"--list x", {Action::List, Game::Nfs3, false, "x", true}},
           {"--version", {Action::Version, Game::Nfs3, false, "", true}},
           {"--setup", {Action::Setup, Game::Nfs3, false, "", false}},
           {"--restore a/car.viv", {Action::Restore, Game::Nfs3, false, "a/car.viv", false}}}) {
    const Command c = ParseCommandLine(text);
    EXPECT_EQ(Parsed(c.action, c.target, c.install, c.path, c.needsNoSettings), want) << text;
  }
  for (const char* text : {"/C3 car.viv", "/x foo", "/e", "/e \"\"", "/ci5 x", "--list", "--setup x", "--restore"})
    EXPECT_EQ(ParseCommandLine(text).action, Action::Invalid) << text;
  EXPECT_TRUE(ParseCommandLine("--list").needsNoSettings);
}

TEST(ParseCommandLine, NotifyComesFirstAndNeedsACommand) {
  struct Case {
    const char* text;
    Action action;
    bool notify;
    const char* path;
  };
  for (const Case& c : {Case{"--notify /ci4 my car/car.viv", Action::Convert, true, "my car/car.viv"},
                        Case{"--notify /e \"a b.viv\"", Action::Extract, true, "a b.viv"},
                        Case{"/e --notify", Action::Extract, false, "--notify"},
                        Case{"--unregister", Action::Unregister, false, ""},
                        Case{"--notify", Action::Invalid, true, ""},
                        Case{"--notify ", Action::Invalid, true, ""},
                        Case{"--notify car.viv", Action::Invalid, true, ""},
                        Case{"--notify --notify /e x", Action::Invalid, true, ""},
                        Case{"--notifyx /e x", Action::Invalid, false, ""}}) {
    const Command command = ParseCommandLine(c.text);
    EXPECT_EQ(command.action, c.action) << c.text;
    EXPECT_EQ(command.notify, c.notify) << c.text;
    EXPECT_EQ(command.path, c.path) << c.text;
    EXPECT_FALSE(command.needsNoSettings) << c.text;
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
