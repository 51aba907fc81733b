#include <gtest/gtest.h>

#include "settings/RegistryStore.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

TEST(RegistryDocument, RoundTripsEscapesDwordsAndDefaultValues) {
  RegistryDocument doc;
  doc.SetString("HKEY_CURRENT_USER\\Software\\A", "Path", "C:\\Games\\\"Odd\" one\\");
  doc.SetDword("HKEY_CURRENT_USER\\Software\\A", "Installed", 0x1f);
  doc.SetString("HKEY_CLASSES_ROOT\\vivfile\\shell\\extract", "", "Extract to new folder");

  const std::string text = doc.Serialize();
  EXPECT_NE(text.find("\"Path\"=\"C:\\\\Games\\\\\\\"Odd\\\" one\\\\\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"Installed\"=dword:0000001f"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"Extract to new folder\""), std::string::npos) << text;
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n\n", 0), 0u);

  const RegistryDocument back = RegistryDocument::Parse(text);
  EXPECT_EQ(back.GetString("HKEY_CURRENT_USER\\Software\\A", "Path"), "C:\\Games\\\"Odd\" one\\");
  EXPECT_EQ(back.GetDword("HKEY_CURRENT_USER\\Software\\A", "Installed"), 0x1fu);
  EXPECT_EQ(back.GetString("HKEY_CLASSES_ROOT\\vivfile\\shell\\extract", ""), "Extract to new folder");
  EXPECT_EQ(back.Serialize(), text);
}

TEST(RegistryDocument, KeysAndNamesCompareIgnoringCaseAndCrLfIsAccepted) {
  const auto doc = RegistryDocument::Parse(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need For Speed III]\r\n"
      "\"InstallPath\"=\"/games/nfs3\"\r\n");
  EXPECT_EQ(doc.GetString("hkey_local_machine\\SOFTWARE\\electronic arts\\need for speed iii", "installpath"),
            "/games/nfs3");
  EXPECT_FALSE(doc.GetDword("HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need For Speed III", "InstallPath"));
}

TEST(RegistryDocument, KeepsWhatItDoesNotUnderstandAndSurvivesCorruptLines) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "; a comment\n\n"
      "[HKEY_CURRENT_USER\\Other]\n"
      "\"Blob\"=hex:01,02,03\n"
      "this line is garbage\n"
      "\"unterminated=\"x\n"
      "\"Kept\"=\"yes\"\n\n"
      "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n"
      "\"Installed\"=dword:00000001\n";
  RegistryDocument doc = RegistryDocument::Parse(text);
  EXPECT_EQ(doc.GetString("HKEY_CURRENT_USER\\Other", "Kept"), "yes");
  EXPECT_EQ(doc.GetDword("HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings", "Installed"), 1u);

  doc.SetString("HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings", "NFS3Path", "N/A");
  doc.SetDword("HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings", "installed", 2);
  const std::string out = doc.Serialize();
  for (const char* line : {"; a comment", "\"Blob\"=hex:01,02,03", "this line is garbage", "\"unterminated=\"x",
                           "\"Kept\"=\"yes\"", "\"NFS3Path\"=\"N/A\""}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  }
  EXPECT_EQ(RegistryDocument::Parse(out).GetDword("HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings",
                                                  "Installed"),
            2u);
  EXPECT_EQ(out.find("dword:00000001"), std::string::npos) << "the value was replaced, not duplicated";
}

TEST(FileRegistry, WritesThroughAndKeepsKeysItDidNotTouch) {
  test::TempDir dir;
  const std::string store = dir / "registry.reg";
  test::WriteText(store,
                  "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=\"1\"\n");
  {
    FileRegistry registry(store);
    EXPECT_TRUE(registry.WriteString(RegistryRoot::ClassesRoot, ".viv", "", "vivfile"));
    EXPECT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Empty"));
  }
  FileRegistry again(store);
  EXPECT_EQ(again.ReadString(RegistryRoot::LocalMachine, "Software\\X", "A"), "1");
  EXPECT_EQ(again.ReadString(RegistryRoot::ClassesRoot, ".VIV", ""), "vivfile");
  EXPECT_NE(test::ReadText(store).find("[HKEY_LOCAL_MACHINE\\Software\\Empty]"), std::string::npos);
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"registry.reg"}) << "no temporary file left";
}

TEST(FileRegistry, DeletesAKeyWithTheKeysBelowItAndSingleValues) {
  test::TempDir dir;
  const std::string path = dir / "registry.reg";
  test::WriteText(path,
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extract]\n@=\"Extract\"\n\n"
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extract\\command]\n@=\"x\"\n\n"
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extractor]\n@=\"kept\"\n\n"
                  "[HKEY_CURRENT_USER\\Software\\A]\n\"One\"=\"1\"\n\"Two\"=dword:00000002\n");
  FileRegistry registry(path);
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::ClassesRoot, "VIVFILE\\shell\\extract"));
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::ClassesRoot, "nothing\\here"));
  EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\A", "one"));
  EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\A", "absent"));
  EXPECT_EQ(test::ReadText(path),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extractor]\n@=\"kept\"\n\n"
            "[HKEY_CURRENT_USER\\Software\\A]\n\"Two\"=dword:00000002\n\n");
}

TEST(FileRegistry, AnUnwritableStoreReportsFailure) {
  FileRegistry registry("/nonexistent-folder/velkor/registry.reg");
  EXPECT_FALSE(registry.WriteString(RegistryRoot::CurrentUser, "Software\\X", "A", "1"));
  EXPECT_FALSE(registry.ReadString(RegistryRoot::CurrentUser, "Software\\Y", "A"));
}

}  // namespace
}  // namespace velkor
