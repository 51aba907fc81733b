#include <gtest/gtest.h>

#include "app/ConverterApp.h"
#include "base/Errors.h"
#include "platform/Platform.h"
#include "settings/RegistryStore.h"
#include "support/Environment.h"
#include "support/ModelBuilder.h"

namespace velkor {
namespace {

const std::string kSettings = "Software\\Velkor\\velkor\\Settings";

class ConverterAppTest : public ::testing::Test {
 protected:
  // The first start's file-manager entries go into the test's folder.
  void SetUp() override {
    test::SetEnvironment("WINEPREFIX", dir / "no-wine");
    test::SetEnvironment("XDG_DATA_HOME", desktop / "data");
    test::SetEnvironment("XDG_CONFIG_HOME", desktop / "config");
  }
  void TearDown() override {
    for (const char* name : {"WINEPREFIX", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) test::UnsetEnvironment(name);
  }
  std::string Exe() const { return dir / "bin" + platform::kPathSeparator + "velkor"; }
  void Start(const std::string& commandLine) {
    ConverterApp(registry, Exe(), "velkor").InitInstance(ParseCommandLine(commandLine));
  }
  std::optional<std::string> Setting(const char* name) { return registry.ReadString(RegistryRoot::CurrentUser, kSettings, name); }
  test::TempDir dir;
  test::TempDir desktop;
  FileRegistry registry{dir / "registry.reg"};
};

TEST_F(ConverterAppTest, OnlyTheFirstStartRunsTheSetup) {
  Start("");
  EXPECT_EQ(registry.ReadDword(RegistryRoot::CurrentUser, kSettings, "Installed"), 1u);
  for (const char* name : {"NFS3Path", "NFS4Path"}) EXPECT_EQ(Setting(name), "N/A");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"registry.reg"});
  registry.WriteString(RegistryRoot::LocalMachine, "Software\\Electronic Arts\\Need For Speed III", "InstallPath", dir.path());
  registry.WriteString(RegistryRoot::ClassesRoot, ".txt", "", "mine");
  Start("");
  EXPECT_EQ(Setting("NFS3Path"), "N/A");
  EXPECT_EQ(registry.ReadString(RegistryRoot::ClassesRoot, ".txt", ""), "mine");
  EXPECT_THROW(Start("/C3 car.viv"), UsageError) << "after the start-up work";
}

TEST_F(ConverterAppTest, StoredPathsDecideWhichConversionsRun) {
  registry.WriteDword(RegistryRoot::CurrentUser, kSettings, "Installed", 1);
  registry.WriteString(RegistryRoot::CurrentUser, kSettings, "NFS4Path", "N/A");
  EXPECT_NE(test::MessageOf<CommandError>([&] { Start("/c4 car.viv"); }).find("cannot convert to NFS4"), std::string::npos);
  // NFS3Path is missing: empty text is not "N/A", so the command goes ahead. "CAR.VIV" does
  // not end in ".viv" exactly, so it is taken for a loose file that no rule converts.
  const std::string failure = test::MessageOf<CommandError>([&] { Start("/c3 CAR.VIV"); });
  EXPECT_EQ(failure.find("N/A"), std::string::npos) << failure;
  EXPECT_NE(failure.find("cannot convert 'CAR.VIV'"), std::string::npos) << failure;
}

}  // namespace
}  // namespace velkor
