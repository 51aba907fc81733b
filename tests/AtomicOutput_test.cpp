#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "archives/TgaFile.h"
#include "archives/VivArchive.h"
#include "base/Errors.h"
#include "carp/Carp3File.h"
#include "files/AtomicOutput.h"
#include "model/Fce3File.h"
#include "model/FeData4File.h"
#include "recogniser/OpenGameFile.h"
#include "settings/RegistryStore.h"
#include "support/ModelBuilder.h"

namespace velkor {
namespace {

using Names = std::vector<std::string>;

TEST(AtomicOutput, TheTargetChangesOnlyAtCommitAndAnAbandonedOutputLeavesNothing) {
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
  EXPECT_EQ(test::ListNames(dir.path()), Names{"out.bin"});
  const std::string missing = dir / "no-such-folder/out.bin";
  EXPECT_NE(test::MessageOf<FileError>([&] { WriteFileAtomically(missing, test::ToBytes("x")); }).find(missing),
            std::string::npos);
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
      {"archive", [&](auto& to) { VivArchive archive(dir / "in.viv", &OpenGameFile); archive.Reset(), archive.SaveAs(to); }},
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

}  // namespace
}  // namespace velkor
