#include <gtest/gtest.h>

#include "settings/RegistryStore.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n", kA = "HKEY_CURRENT_USER\\Software\\A";

TEST(RegistryDocument, WritesEscapedStringsDwordsAndDefaultValuesAndReadsThemBack) {
  RegistryDocument doc;
  doc.SetString(kA, "Path", "C:\\Games\\\"Odd\" one\\");
  doc.SetDword(kA, "Installed", 0x1f);
  doc.SetString("HKEY_CLASSES_ROOT\\vivfile", "", "Extract");
  doc.SetDword(kA, "Installed", 0xabcdef12);  // replaced in place
  const std::string text = kHeader + "[" + kA + "]\n\"Path\"=\"C:\\\\Games\\\\\\\"Odd\\\" one\\\\\"\n"
                           "\"Installed\"=dword:abcdef12\n\n[HKEY_CLASSES_ROOT\\vivfile]\n@=\"Extract\"\n\n";
  EXPECT_EQ(doc.Serialize(), text);
  const RegistryDocument back = RegistryDocument::Parse(text);
  EXPECT_EQ(back.GetString("hkey_current_user\\SOFTWARE\\a", "path"), "C:\\Games\\\"Odd\" one\\");
  EXPECT_EQ(back.GetDword(kA, "Installed"), 0xabcdef12u);
  EXPECT_FALSE(back.GetDword(kA, "Path")) << "a string is no dword";
  EXPECT_EQ(back.GetString("HKEY_CLASSES_ROOT\\vivfile", ""), "Extract");
  EXPECT_EQ(back.Serialize(), text);
  EXPECT_EQ(RegistryDocument::Parse("[HKEY_X]\r\n\"P\"=\"/games/nfs3\"\r\n").GetString("HKEY_X", "P"), "/games/nfs3");
}

TEST(RegistryDocument, KeepsWhatItDoesNotUnderstand) {
  const std::string kept = "; a comment\n\n[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex:01,02,03\nthis line is garbage\n"
                           "\"unterminated=\"x\n\"Kept\"=\"yes\"\n\n";
  RegistryDocument doc = RegistryDocument::Parse(kHeader + kept + "[" + kA + "]\n\"Installed\"=dword:00000001\n");
  EXPECT_EQ(doc.GetString("HKEY_CURRENT_USER\\Other", "Kept"), "yes");
  doc.SetString(kA, "NFS3Path", "N/A");
  EXPECT_EQ(doc.Serialize(), kHeader + kept + "[" + kA + "]\n\"Installed\"=dword:00000001\n\"NFS3Path\"=\"N/A\"\n\n");
}

TEST(FileRegistry, WritesThroughAndKeepsKeysItDidNotTouch) {
  test::TempDir dir;
  const std::string store = dir / "registry.reg";
  test::WriteText(store, kHeader + "[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=\"1\"\n");
  {
    FileRegistry registry(store);
    EXPECT_TRUE(registry.WriteString(RegistryRoot::ClassesRoot, ".viv", "", "vivfile"));
    EXPECT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Empty"));
  }
  EXPECT_EQ(test::ReadText(store), kHeader + "[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=\"1\"\n\n"
                                   "[HKEY_CLASSES_ROOT\\.viv]\n@=\"vivfile\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Empty]\n\n");
  EXPECT_EQ(FileRegistry(store).ReadString(RegistryRoot::ClassesRoot, ".VIV", ""), "vivfile");
  EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"registry.reg"});
  FileRegistry unwritable(dir / "no-such-folder/registry.reg");
  EXPECT_FALSE(unwritable.WriteString(RegistryRoot::CurrentUser, "Software\\X", "A", "1"));
  EXPECT_FALSE(unwritable.ReadString(RegistryRoot::CurrentUser, "Software\\Y", "A"));
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

}  // namespace
}  // namespace velkor
