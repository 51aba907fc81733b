#include <gtest/gtest.h>

#include "app/ConverterApp.h"
#include "files/Errors.h"
#include "platform/Platform.h"
#include "platform/RegistryFile.h"
#include "support/Environment.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

const std::string kSettings = "Software\\Velkor\\velkor\\Settings";

class ConverterAppTest : public ::testing::Test {
 protected:
  void SetUp() override { test::SetEnvironment("WINEPREFIX", dir / "no-wine"); }
  void TearDown() override { test::UnsetEnvironment("WINEPREFIX"); }
  std::string Exe() const { return dir / "bin" + platform::kPathSeparator + "velkor"; }
  void Start(const std::string& commandLine) {
    ConverterApp app(registry, Exe(), "velkor");
    EXPECT_FALSE(app.InitInstance(commandLine));
  }
  test::TempDir dir;
  FileRegistry registry{dir / "registry.reg"};
};

TEST_F(ConverterAppTest, FirstStartWithEmptyCommandLineOnlyRunsTheSetup) {
  Start("");
  EXPECT_EQ(registry.ReadDword(RegistryRoot::CurrentUser, kSettings, "Installed"), 1u);
  EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, kSettings, "NFS3Path"), "N/A");
  EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, kSettings, "NFS4Path"), "N/A");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"registry.reg"});
}

TEST_F(ConverterAppTest, ASecondStartRunsNoSetup) {
  Start("");
  registry.WriteString(RegistryRoot::LocalMachine, "Software\\Electronic Arts\\Need For Speed III", "InstallPath",
                       dir.path());
  registry.WriteString(RegistryRoot::ClassesRoot, ".txt", "", "mine");
  Start("");
  EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, kSettings, "NFS3Path"), "N/A");
  EXPECT_EQ(registry.ReadString(RegistryRoot::ClassesRoot, ".txt", ""), "mine");
}

TEST_F(ConverterAppTest, LaterStartsReadTheStoredPathsBack) {
  registry.WriteDword(RegistryRoot::CurrentUser, kSettings, "Installed", 1);
  registry.WriteString(RegistryRoot::CurrentUser, kSettings, "NFS3Path", "N/A");
  registry.WriteString(RegistryRoot::CurrentUser, kSettings, "NFS4Path", "N/A");
  try {
    Start("/c4 car.viv");
    FAIL() << "a conversion to a game that is N/A must fail";
  } catch (const CommandError& e) {
    EXPECT_NE(std::string(e.what()).find("NFS4"), std::string::npos) << e.what();
  }
}

TEST_F(ConverterAppTest, AMissingPathReadsAsEmptyTextNotAsNotAvailable) {
  registry.WriteDword(RegistryRoot::CurrentUser, kSettings, "Installed", 1);
  // NFS3Path is missing: "" is not "N/A", so the conversion is attempted (and fails on the
  // missing input, not on the game).
  try {
    Start("/c3 " + (dir / "missing") + "/car.viv");
  } catch (const CommandError& e) {
    EXPECT_EQ(std::string(e.what()).find("N/A"), std::string::npos) << e.what();
  } catch (const Error&) {
  }
}

TEST_F(ConverterAppTest, SwitchesAreExactAndNeedAPath) {
  Start("");
  EXPECT_THROW(Start("/C3 car.viv"), UsageError);
  EXPECT_THROW(Start("/x foo"), UsageError);
  EXPECT_THROW(Start("/e"), UsageError);
  EXPECT_THROW(Start("/e \"\""), UsageError);
  // ".VIV" is no archive ending: with NFS3 "N/A" it fails on the game either way.
  EXPECT_THROW(Start("/c3 CAR.VIV"), CommandError);
}

}  // namespace
}  // namespace velkor
