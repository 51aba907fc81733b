#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

void WriteReferenceCars(const std::string& nfs3, const std::string& nfs4) {
  test::MakeFolder(nfs3 + "/gamedata/carmodel/fm50");
  test::WriteBytes(nfs3 + "/gamedata/carmodel/fm50/car.viv", sample::PackArchive(sample::Nfs3ReferenceCar()));
  test::MakeFolder(nfs4 + "/data/cars/fm50");
  test::WriteBytes(nfs4 + "/data/cars/fm50/car.viv", sample::PackArchive(sample::Nfs4ReferenceCar()));
}

TEST(FirstRun, AnInstalledProgramInAReadOnlyFolderServesAnUnprivilegedUser) {
  test::TempDir dir;
  const std::string bin = dir / "usr/bin";
  const std::string home = dir / "home";
  test::MakeFolder(bin);
  fs::copy_file(VELKOR_EXE, bin + "/velkor");
  WriteReferenceCars(home + "/nfs3", home + "/nfs4");
  test::MakeFolder(home + "/cars/Velkor Roadster");
  const std::string car = home + "/cars/Velkor Roadster/car.viv";
  test::WriteBytes(car, sample::PackArchive(sample::RoadsterCar()));
  test::MakeFolder(home + "/.config/Velkor");
  test::WriteText(home + "/.config/Velkor/registry.reg",
                  "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need For Speed III]\n\"InstallPath\"=\"" + home +
                      "/nfs3\"\n[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need for Speed High Stakes]\n"
                      "\"InstallPath\"=\"" + home + "/nfs4\"\n");
  fs::permissions(bin + "/velkor", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::permissions(bin, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);

  // As root, permissions do not apply: the program runs as nobody, in a home of its own.
  std::vector<std::string> prefix;
  std::string runner = bin + "/velkor";
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody && nogroup && fs::exists("/usr/bin/setpriv"));
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(home))
      ASSERT_EQ(::lchown(entry.path().c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
    ASSERT_EQ(::chown(home.c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
    prefix = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", runner};
    runner = "/usr/bin/setpriv";
  }
  auto args = [&](std::vector<std::string> rest) {
    rest.insert(rest.begin(), prefix.begin(), prefix.end());
    return rest;
  };

  auto run = test::RunVelkor(args({}), home, {}, runner);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(test::ListNames(home + "/.local/share/Velkor"),
            (std::vector<std::string>{"careng.bnk", "careng.ctb", "careng.ltb", "dash.fce", "dash.fsh", "dash.qfs",
                                      "dash00.tga", "ocar.bnk", "ocard.bnk", "ocareng.bnk", "scar.bnk",
                                      "scareng.bnk"}));
  run = test::RunVelkor(args({"/ci4", car}), home, {}, runner);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(test::PathExists(home + "/nfs4/data/cars/Velkor Roadster/car.viv"));
  EXPECT_EQ(test::ListNames(bin), std::vector<std::string>{"velkor"});
  fs::permissions(bin, fs::perms::owner_write, fs::perm_options::add);  // so the test can clean up
}

TEST(FirstRun, SetupFindsAGameInstalledAfterTheFirstStartAndReportsIt) {
  test::TempDir home;
  auto run = test::RunVelkor({}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(test::ReadText(home / ".config/Velkor/registry.reg").find("\"NFS4Path\"=\"N/A\""), std::string::npos);

  // The game appears in the Wine prefix that $WINEPREFIX names.
  const std::string prefix = home / ".wine";
  WriteReferenceCars(home / "nfs3", prefix + "/drive_c/Games/NFS4");
  test::MakeFolder(prefix + "/dosdevices");
  fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  test::WriteText(prefix + "/system.reg",
                  "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\Electronic Arts\\\\Need for Speed High "
                  "Stakes] 1700000000\n\"InstallPath\"=\"C:\\\\Games\\\\NFS4\"\n");

  run = test::RunVelkor({"--setup"}, home.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string game = prefix + "/dosdevices/c:/Games/NFS4/";
  EXPECT_NE(test::ReadText(home / ".config/Velkor/registry.reg").find("\"NFS4Path\"=\"" + game + "\""),
            std::string::npos);
  const std::string data = home / ".local/share/Velkor/";
  std::string expected = "NFS3 (Need For Speed III): not found\n  searched:\n    the settings store: ";
  EXPECT_EQ(run.out.rfind(expected, 0), 0u) << run.out;
  expected = "    Heroic prefixes in " + home / "Games/Heroic/Prefixes/*/\n" +
             "NFS4 (Need for Speed High Stakes): " + game + "\n  found in Wine prefix " + prefix + " (WINEPREFIX)\n" +
             "reference files collected into " + data + ":\n";
  for (const char* name : {"dash.fsh", "dash.fce", "dash00.tga", "careng.ctb", "careng.ltb", "careng.bnk",
                           "ocareng.bnk", "scareng.bnk"})
    expected += "  " + data + name + "\n";
  expected += "file-manager integration written:\n  " + home / ".local/share/mime/packages/velkor.xml\n";
  EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
  EXPECT_EQ(test::ListNames(data).size(), 8u);
}

}  // namespace
}  // namespace velkor
