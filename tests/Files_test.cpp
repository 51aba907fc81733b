#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "carp/Carp3File.h"
#include "files/AtomicOutput.h"
#include "files/GameFile.h"
#include "model/Fce3File.h"
#include "model/FeData4File.h"
#include "platform/FileSystem.h"
#include "platform/ProgramLocation.h"
#include "recogniser/OpenGameFile.h"
#include "settings/RegistryStore.h"
#include "support/ModelBuilder.h"

namespace velkor {
namespace {

using Names = std::vector<std::string>;

TEST(AtomicOutput, TheTargetChangesOnlyAtCommitAbandonedLeavesNothingAndSameBytesLeaveItAlone) {
  test::TempDir dir;
  const std::string target = dir / "out.bin";
  for (const bool commit : {false, true}) {
    test::WriteText(target, "old");
    AtomicOutput out(target);
    out.file().Write(test::ToBytes("new and longer"));
    EXPECT_EQ(test::ReadText(target), "old");
    if (commit) out.Commit();
  }
  EXPECT_EQ(test::ReadText(target), "new and longer");
  {  // Outputs to one target at once each write a temporary file of their own.
    AtomicOutput first(target), second(target);
    first.file().Write(test::ToBytes("first"));
    second.file().Write(test::ToBytes("2nd"));
    first.Commit();
    EXPECT_EQ(test::ReadText(target), "first");
    second.Commit();
  }
  EXPECT_EQ(test::ReadText(target), "2nd");
  EXPECT_EQ(test::ListNames(dir.path()), Names{"out.bin"});

  // Bytes that the target holds already leave it alone: same file, same time of change, and
  // the hook that keeps a replaced file is not run for it.
  const auto written = std::filesystem::last_write_time(target) - std::chrono::hours(1);
  std::filesystem::last_write_time(target, written);
  std::filesystem::create_hard_link(target, dir / "alias");
  Names hooked;
  for (const std::string bytes : {"2nd", "other"}) {
    AtomicOutput out(target);
    out.BeforeReplacing([&](const std::string& replaced) { hooked.push_back(test::ReadText(replaced)); });
    out.file().Write(test::ToBytes(bytes));
    out.Commit();
    if (bytes == "2nd") {
      EXPECT_TRUE(std::filesystem::equivalent(target, dir / "alias"));
      EXPECT_EQ(std::filesystem::last_write_time(target), written);
    }
  }
  EXPECT_EQ(hooked, Names{"2nd"}) << "the hook runs for the replaced file only";
  EXPECT_EQ(test::ReadText(target), "other");
  EXPECT_EQ(test::ListNames(dir.path()), (Names{"alias", "out.bin"}));
}

// In a scratch folder a new file is written in its place (an unfinished one is removed);
// an existing file is still replaced only at Commit, and outside the folder's lifetime
// nothing changes.
TEST(AtomicOutput, AScratchFolderTakesNewFilesDirectly) {
  test::TempDir dir;
  const std::string target = dir / "new.bin";
  for (const bool scratch : {true, false}) {
    for (const bool commit : {false, true}) {
      std::filesystem::remove(target);
      std::optional<ScratchFolder> folder;
      if (scratch) folder.emplace(dir.path() + "/");
      AtomicOutput out(target);
      out.file().Write(test::ToBytes("new"));
      EXPECT_EQ(test::PathExists(target), scratch) << scratch;
      if (commit) out.Commit();
    }
    EXPECT_EQ(test::ReadText(target), "new");
    EXPECT_EQ(test::ListNames(dir.path()), Names{"new.bin"});
  }
  const ScratchFolder folder(dir.path());
  AtomicOutput out(target);
  out.file().Write(test::ToBytes("newer"));
  EXPECT_EQ(test::ReadText(target), "new");
  out.Commit();
  EXPECT_EQ(test::ReadText(target), "newer");
}

// Every writer puts a new file in the target's place: a second name of the old file (a hard
// link) keeps the old bytes, which a write into the file in place would overwrite. Bytes that
// the target holds already leave it alone.
TEST(AtomicOutput, EveryWriterReplacesTheTargetAsAWholeAndNeverInPlace) {
  test::TempDir dir;
  test::WriteBytes(dir / "in.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x42, 'f', 'o', 'o', 't'});
  test::WriteBytes(dir / "in.fce", test::MakeFce3(2, 1, 1));
  test::WriteText(dir / "in.txt", "(0)\r\n1\r\n");
  const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> writers = {
      {"bytes", [](auto& to) { WriteFileAtomically(to, test::ToBytes("new")); }},
      {"image", [&](auto& to) { TgaFile f(dir / "in.tga"); f.Load(), f.SaveAs(to); }},
      {"model", [&](auto& to) { Fce3File f(dir / "in.fce"); f.Load(), f.SaveAs(to); }},
      {"model conversion", [&](auto& to) { Fce3File f(dir / "in.fce"); f.Load(), f.ConvertTo4(to); }},
      {"performance", [&](auto& to) { Carp3File f(dir / "in.txt"); f.Load(), f.SaveAs(to); }},
      {"performance conversion", [&](auto& to) { Carp3File f(dir / "in.txt"); f.Load(), f.ConvertTo4(to); }},
      {"texts", [](auto& to) { FeData4File texts(to); texts.Reset(), texts.Save(); }},
      {"archive",
       [&](auto& to) { VivArchive archive(dir / "in.viv", &OpenGameFile); archive.Reset(), archive.SaveAs(to); }},
      {"settings", [](auto& to) { FileRegistry(to).WriteString(RegistryRoot::CurrentUser, "Software\\A", "B", "C"); }}};
  const std::string target = dir / "target", alias = dir / "alias";
  for (const auto& [what, write] : writers) {
    test::WriteText(target, "old");
    std::filesystem::create_hard_link(target, alias);
    write(target);
    EXPECT_EQ(test::ReadText(alias), "old") << what << " wrote into the file in place";
    const std::string written = test::ReadText(target);
    EXPECT_NE(written, "old") << what;
    std::filesystem::remove(alias);
    std::filesystem::create_hard_link(target, alias);
    write(target);
    EXPECT_TRUE(std::filesystem::equivalent(target, alias)) << what << " replaced a file that held its bytes already";
    std::filesystem::remove(alias);
    EXPECT_EQ(test::ListNames(dir.path()), (Names{"in.fce", "in.tga", "in.txt", "target"})) << what;
  }
}

TEST(GameFile, GetFileNameFollowsThePlatformsPathRules) {
  EXPECT_EQ(GameFile("carp.txt").GetFileName(), "carp.txt");
  EXPECT_EQ(GameFile("/games/car/carp.txt").GetFileName(), "carp.txt");
  if (platform::kWindows) {
    EXPECT_EQ(GameFile("c:\\games/car\\x\\carp.txt").GetFileName(), "carp.txt");
    EXPECT_EQ(GameFile("c:carp.txt").GetFileName(), "carp.txt");
  } else {
    // "\" and ":" are ordinary name characters on POSIX.
    EXPECT_EQ(GameFile("/games/odd\\name:1.txt").GetFileName(), "odd\\name:1.txt");
  }
}

TEST(DeleteFolderTree, RemovesEverythingButFollowsNoLink) {
  test::TempDir dir;
  const bool links = !platform::kWindows;  // symbolic links need privileges on Windows
  test::MakeFolder(dir / "outside");
  test::WriteText(dir / "outside/precious", "keep me");
  for (const bool trailing : {false, true}) {
    const std::string tree = dir / "tree";
    test::MakeFolder(tree + "/sub/deeper");
    for (const char* name : {"a", ".hidden", "sub/.also", "sub/deeper/b"}) test::WriteText(tree + "/" + name, name);
    if (links) std::filesystem::create_directory_symlink(dir / "outside", tree + "/sub/link-to-folder");
    if (links) std::filesystem::create_symlink(dir / "outside/precious", tree + "/link-to-file");
    DeleteFolderTree(trailing ? tree + platform::kPathSeparator : tree);
    DeleteFolderTree(tree);  // a folder that does not exist is left alone
    if (links) std::filesystem::create_directory_symlink(dir / "outside", dir / "linked-tree");
    if (links) DeleteFolderTree(dir / "linked-tree");  // the link goes, its target stays
    EXPECT_EQ(test::ListNames(dir.path()), std::vector<std::string>{"outside"}) << trailing;
    EXPECT_EQ(test::ListNames(dir / "outside"), std::vector<std::string>{"precious"});
    EXPECT_EQ(test::ReadText(dir / "outside/precious"), "keep me");
  }
}

// Removing what is not there, or a folder that still holds something, is nothing to do;
// any other failure raises with the system's reason and removes nothing.
TEST(FileSystem, RemovalRaisesForRealFailuresOnly) {
  test::TempDir dir;
  test::MakeFolder(dir / "full");
  test::WriteText(dir / "full/inside", "kept");
  EXPECT_FALSE(platform::RemoveFile(dir / "missing"));
  EXPECT_FALSE(platform::RemoveEmptyFolder(dir / "missing"));
  EXPECT_FALSE(platform::RemoveEmptyFolder(dir / "full"));
  try {
    platform::RemoveFile(dir / "full");
    ADD_FAILURE() << "a folder was taken for a file";
  } catch (const FileError& e) {
    EXPECT_FALSE(e.reason().empty());
  }
  EXPECT_EQ(test::ReadText(dir / "full/inside"), "kept");
  EXPECT_TRUE(platform::RemoveFile(dir / "full/inside"));
  EXPECT_TRUE(platform::RemoveEmptyFolder(dir / "full"));
  EXPECT_EQ(test::ListNames(dir.path()), Names{});
}

// A range of a file reads as a file of its own: positions count from its start, reads
// stop at its end, and messages name it as shown.
TEST(GameFile, ARangeOfAFileReadsAsAFileOfItsOwn) {
  test::TempDir dir;
  test::WriteText(dir / "whole", "0123456789");
  platform::File range = platform::File::OpenRange(dir / "whole", 3, 4, "shown");
  EXPECT_EQ(range.Length(), 4u);
  EXPECT_EQ(test::ToText(range.ReadAtMost(1, 5)), std::string("456\0\0", 5));
  range.Seek(2);
  Bytes two(2);
  range.ReadExact(two);
  EXPECT_EQ(std::pair(test::ToText(two), range.Position()), std::pair(std::string("56"), std::uint64_t{4}));
  EXPECT_NE(test::MessageOf<FormatError>([&] { range.ReadExact(two); }).find("shown"), std::string::npos);
  {
    platform::File out = platform::File::Open(dir / "out", platform::File::CreateOrTruncate);
    range.CopyRangeTo(out, 1, 2);
    EXPECT_THROW(range.CopyRangeTo(out, 3, 2), FormatError);
  }
  EXPECT_EQ(test::ReadText(dir / "out"), "45");
  EXPECT_THROW(platform::File::OpenRange(dir / "whole", 8, 3, "shown"), FormatError);

  // Big copies from anywhere in a range, whatever way the kernel is asked to copy.
  Bytes big(1100000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 % 251);
  test::WriteBytes(dir / "big", big);
  for (const std::uint64_t from : {0, 4093}) {  // from 3 and from 4096 in the file
    platform::File source = platform::File::OpenRange(dir / "big", 3, big.size() - 3, "big");
    {
      platform::File out = platform::File::Open(dir / "out", platform::File::CreateOrTruncate);
      source.CopyRangeTo(out, from, big.size() - 3 - from);
    }
    EXPECT_EQ(test::ReadBytes(dir / "out"), Bytes(big.begin() + 3 + static_cast<std::ptrdiff_t>(from), big.end()))
        << from;
  }

  // A game file left inside another loads from there and takes the range's length.
  GameFile packed(dir / "nowhere");
  packed.packedIn = ContentRange{dir / "whole", 3, 4};
  packed.Load();
  EXPECT_EQ(packed.size, 4);
  EXPECT_EQ(test::ToText(packed.OpenContent().ReadAtMost(0, 4)), "3456");
}

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n", kA = "HKEY_CURRENT_USER\\Software\\A";

TEST(RegistryDocument, WritesEscapedStringsDwordsAndDefaultsReadsThemBackAndKeepsTheRest) {
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

  const std::string kept = "; a comment\n\n[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex:01,02,03\nthis line is garbage\n"
                           "\"unterminated=\"x\n\"Kept\"=\"yes\"\n\n";
  doc = RegistryDocument::Parse(kHeader + kept + "[" + kA + "]\n\"Installed\"=dword:00000001\n");
  EXPECT_EQ(doc.GetString("HKEY_CURRENT_USER\\Other", "Kept"), "yes");
  doc.SetString(kA, "NFS3Path", "N/A");
  EXPECT_EQ(doc.Serialize(), kHeader + kept + "[" + kA + "]\n\"Installed\"=dword:00000001\n\"NFS3Path\"=\"N/A\"\n\n");
}

TEST(FileRegistry, WritesThroughKeepsKeysItDidNotTouchAndDeletesKeysWithThoseBelow) {
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

  // A key goes with the keys below it, not with keys whose names merely start alike.
  test::WriteText(store,
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extract]\n@=\"Extract\"\n\n"
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extract\\command]\n@=\"x\"\n\n"
                  "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extractor]\n@=\"kept\"\n\n"
                  "[HKEY_CURRENT_USER\\Software\\A]\n\"One\"=\"1\"\n\"Two\"=dword:00000002\n");
  FileRegistry registry(store);
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::ClassesRoot, "VIVFILE\\shell\\extract"));
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::ClassesRoot, "nothing\\here"));
  EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\A", "one"));
  EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\A", "absent"));
  EXPECT_EQ(test::ReadText(store),
            kHeader + "[HKEY_CLASSES_ROOT\\vivfile\\shell\\extractor]\n@=\"kept\"\n\n"
            "[HKEY_CURRENT_USER\\Software\\A]\n\"Two\"=dword:00000002\n\n");
}

}  // namespace
}  // namespace velkor
