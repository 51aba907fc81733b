#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/ConverterApp.h"
#include "platform/Platform.h"

namespace velkor {
namespace {

TEST(SplitCommandLine, SplitsAtTheFirstBlankAndRemovesQuotes) {
  const auto quoted = SplitCommandLine("/p \"C:\\My Cars\\Fast One\"");
  EXPECT_EQ(quoted.commandSwitch, "/p");
  EXPECT_EQ(quoted.commandPath, "C:\\My Cars\\Fast One");

  const auto plain = SplitCommandLine("/e car.viv");
  EXPECT_EQ(plain.commandSwitch, "/e");
  EXPECT_EQ(plain.commandPath, "car.viv");

  // Further blanks belong to the path; nothing is trimmed.
  const auto blanks = SplitCommandLine("/c3  a b ");
  EXPECT_EQ(blanks.commandSwitch, "/c3");
  EXPECT_EQ(blanks.commandPath, " a b ");
}

TEST(SplitCommandLine, QuoteRulesAreIndependent) {
  // Only a leading quote: removed, nothing else.
  EXPECT_EQ(SplitCommandLine("/e \"car.viv").commandPath, "car.viv");
  // Only a trailing quote of the whole text: the path's last character goes.
  EXPECT_EQ(SplitCommandLine("/e car.viv\"").commandPath, "car.viv");
}

TEST(SplitCommandLine, NoBlankMeansNoSwitch) {
  const auto command = SplitCommandLine("/e");
  EXPECT_EQ(command.commandSwitch, "");
  EXPECT_EQ(command.commandPath, "");
}

TEST(ParseCommandLine, NamesTheActionTargetAndInstallFlag) {
  const auto install4 = ParseCommandLine("/ci4 \"my car/car.viv\"");
  EXPECT_EQ(install4.action, Action::Convert);
  EXPECT_EQ(install4.target, Game::Nfs4);
  EXPECT_TRUE(install4.install);
  EXPECT_EQ(install4.path, "my car/car.viv");
  const auto convert3 = ParseCommandLine("/c3 a.fce");
  EXPECT_EQ(convert3.target, Game::Nfs3);
  EXPECT_FALSE(convert3.install);
  EXPECT_EQ(ParseCommandLine("/ci3 x").install, true);
  EXPECT_EQ(ParseCommandLine("/c4 x").target, Game::Nfs4);
  EXPECT_EQ(ParseCommandLine("/e x").action, Action::Extract);
  EXPECT_EQ(ParseCommandLine("/p x").action, Action::Pack);
  EXPECT_EQ(ParseCommandLine("").action, Action::None);
  EXPECT_TRUE(ParseCommandLine("--list x").needsNoSettings);
  EXPECT_TRUE(ParseCommandLine("--list").needsNoSettings);
  EXPECT_FALSE(ParseCommandLine("/e x").needsNoSettings);
  EXPECT_EQ(ParseCommandLine("--setup").action, Action::Setup);
  EXPECT_FALSE(ParseCommandLine("--setup").needsNoSettings);
  EXPECT_EQ(ParseCommandLine("--restore a/car.viv").action, Action::Restore);
  EXPECT_EQ(ParseCommandLine("--restore a/car.viv").path, "a/car.viv");
  for (const char* text : {"/C3 car.viv", "/x foo", "/e", "/e \"\"", "/ci5 x", "--setup x", "--restore"})
    EXPECT_EQ(ParseCommandLine(text).action, Action::Invalid) << text;
}

TEST(ProgramFolderOf, KeepsTheFinalSeparatorAndDropsTheName) {
  const char s = platform::kPathSeparator;
  EXPECT_EQ(ProgramFolderOf(std::string(1, s) + "opt" + s + "velkor" + s + "velkor"),
            std::string(1, s) + "opt" + s + "velkor" + s);
  EXPECT_EQ(ProgramFolderOf(std::string(1, s) + "velkor"), std::string(1, s));
}

}  // namespace
}  // namespace velkor
