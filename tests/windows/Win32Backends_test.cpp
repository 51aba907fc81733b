// The Win32 side of platform/: what the shared tests cannot see from the outside
// (registry value types and views, file identity across spellings, file attributes).

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "base/Errors.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/ProgramLocation.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

// A registry key of this test's own below a root, removed with its content at the end.
class ScratchKey {
 public:
  explicit ScratchKey(HKEY root, REGSAM view = 0)
      : root_(root), view_(view), path_("Software\\Velkor-test-" + std::to_string(::GetCurrentProcessId())) {}
  ~ScratchKey() { DeleteTree(); }
  const std::string& path() const { return path_; }

  // Raw type and bytes of a value, read without the code under test; nothing when it cannot be read.
  std::optional<std::pair<DWORD, std::string>> Query(const std::string& key, const std::string& name) const {
    std::pair<DWORD, std::string> value{0, std::string(64, '\0')};
    DWORD size = 64;
    if (::RegGetValueA(root_, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.first, value.second.data(),
                       &size) != ERROR_SUCCESS)
      return std::nullopt;
    return value.second.resize(size), value;
  }

  // False when the key cannot be written (below HKEY_LOCAL_MACHINE without an administrator).
  bool SetString(const std::string& name, const std::string& value) const {
    HKEY h = nullptr;
    const REGSAM access = KEY_ALL_ACCESS | view_;
    if (::RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, access, nullptr, &h, nullptr) != ERROR_SUCCESS)
      return false;
    const LONG status = ::RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                         static_cast<DWORD>(value.size() + 1));
    return ::RegCloseKey(h), status == ERROR_SUCCESS;
  }

 private:
  void DeleteTree() const {
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root_, "Software", 0, KEY_ALL_ACCESS | view_, &h) != ERROR_SUCCESS) return;
    ::RegDeleteTreeA(h, path_.substr(std::string("Software\\").size()).c_str());
    ::RegCloseKey(h);
  }

  HKEY root_;
  REGSAM view_;
  std::string path_;
};

TEST(Win32Registry, WritesStringsWithTheirNulAndDwordsCreatesKeysAndReadsThemBack) {
  ScratchKey scratch(HKEY_CURRENT_USER);
  const auto registry = platform::OpenNativeRegistry();
  const std::string key = scratch.path() + "\\Velkor\\Settings";
  const auto cu = RegistryRoot::CurrentUser;
  EXPECT_EQ(registry->ReadString(cu, key, "NFS3Path"), std::nullopt);
  HKEY h = nullptr;
  EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS)
      << "reading creates nothing";
  ASSERT_TRUE(registry->WriteString(cu, key, "NFS3Path", "C:\\Games\\NFS3\\"));
  ASSERT_TRUE(registry->WriteDword(cu, key, "Installed", 1));
  ASSERT_TRUE(registry->WriteString(cu, key, "", "default value"));
  ASSERT_TRUE(registry->CreateKey(cu, key + "\\a\\b"));
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\a\\b").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
  ::RegCloseKey(h);
  EXPECT_EQ(scratch.Query(key, "NFS3Path"), std::pair(DWORD{REG_SZ}, std::string("C:\\Games\\NFS3\\\0", 15)));
  EXPECT_EQ(scratch.Query(key, "Installed"), std::pair(DWORD{REG_DWORD}, std::string("\x01\0\0\0", 4)));
  EXPECT_EQ(registry->ReadString(cu, key, "NFS3Path"), "C:\\Games\\NFS3\\");
  EXPECT_EQ(registry->ReadString(cu, key, ""), "default value");
  EXPECT_EQ(registry->ReadDword(cu, key, "Installed"), 1u);
  EXPECT_EQ(registry->ReadDword(cu, key, "NFS3Path"), std::nullopt) << "a value of the other type does not read";
  EXPECT_EQ(registry->ReadString(cu, key, "Installed"), std::nullopt);
  EXPECT_EQ(registry->Location(), "HKEY_CURRENT_USER");
}

TEST(Win32Registry, MachineValuesOfThe32BitViewAreFound) {
  // Where a 32-bit game's installer left its "InstallPath" on a 64-bit system.
  ScratchKey scratch(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
  if (!scratch.SetString("InstallPath", "C:\\Games\\x86")) GTEST_SKIP() << "HKEY_LOCAL_MACHINE needs an administrator";
  EXPECT_EQ(platform::OpenNativeRegistry()->ReadString(RegistryRoot::LocalMachine, scratch.path(), "InstallPath"),
            "C:\\Games\\x86");
}

TEST(Win32File, IsBinaryAndRefusesFolders) {
  TempDir dir;
  const Bytes bytes = {'a', '\r', '\n', '\n', 0x1a, 0, 0xff, '\r'};
  {
    platform::File out = platform::File::Open(dir / "b.bin", platform::File::CreateOrTruncate);
    out.Write(bytes), out.Close();
  }
  EXPECT_EQ(test::ReadBytes(dir / "b.bin"), bytes);
  platform::File in = platform::File::Open(dir / "b.bin", platform::File::ReadExisting);
  EXPECT_EQ(in.Length(), bytes.size());
  EXPECT_EQ(in.ReadAtMost(6, 4), (Bytes{0xff, '\r', 0, 0}));
  test::MakeFolder(dir / "folder");
  EXPECT_FALSE(platform::File::Open(dir / "folder", platform::File::ReadIfPossible));
  EXPECT_THROW(platform::File::Open(dir / "folder", platform::File::ReadExisting), FileError);
}

TEST(Win32Platform, CopiesReplaceOtherFilesAsWritableButNeverTheSourceUnderAnotherSpelling) {
  TempDir dir;
  test::WriteText(dir / "fedata.fsh", "image bytes");
  EXPECT_NO_THROW(platform::CopyFileReplacing(dir / "fedata.fsh", dir.path() + "/./FEDATA.FSH"));
  EXPECT_EQ(test::ReadText(dir / "fedata.fsh"), "image bytes");
  test::WriteText(dir / "old", "old content that is longer");
  EXPECT_NO_THROW(platform::CopyFileReplacing(dir / "fedata.fsh", dir / "old"));
  EXPECT_EQ(test::ReadText(dir / "old"), "image bytes");
  EXPECT_THROW(platform::CopyFileReplacing(dir / "missing", dir / "x"), FileError);
  EXPECT_THROW(platform::CopyFileReplacing(dir.path(), dir / "x"), FileError);

  // A read-only file (from a disc) copies as writable, twice over, and can be removed.
  ASSERT_TRUE(::SetFileAttributesA((dir / "fedata.fsh").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_NO_THROW(platform::CopyFileReplacing(dir / "fedata.fsh", dir / "copy"));
  EXPECT_EQ(::GetFileAttributesA((dir / "copy").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_NO_THROW(platform::CopyFileReplacing(dir / "fedata.fsh", dir / "copy"));
  EXPECT_TRUE(platform::RemoveFile(dir / "fedata.fsh"));
  EXPECT_FALSE(test::PathExists(dir / "fedata.fsh"));
  EXPECT_FALSE(platform::RemoveFile(dir / "fedata.fsh"));
}

TEST(Win32Platform, ListsFoldersAndNamesTheExecutable) {
  TempDir dir;
  test::MakeFolder(dir / "sub");
  test::WriteText(dir / "a.txt", "1");
  const auto entries = platform::ListFolder(dir.path() + "\\");
  ASSERT_EQ(entries.size(), 2u);
  for (const auto& entry : entries)
    EXPECT_EQ(std::tuple(entry.fullPath, entry.isFolder, entry.isLink),
              std::tuple(dir.path() + "\\" + entry.name, entry.name == "sub", false));
  EXPECT_TRUE(platform::ListFolder(dir / "missing").empty());
  const std::string exe = platform::ExecutablePath();
  EXPECT_EQ(exe.substr(exe.find_last_of('\\') + 1), "velkor_tests.exe");
  EXPECT_EQ(platform::ApplicationName(), "Velkor");
}

}  // namespace
}  // namespace velkor
