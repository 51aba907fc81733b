#include "cli/HostileSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "sample/SampleCar.h"

namespace velkor::test {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kLargestComparedFile = 1 << 20;
constexpr const char* kAddressSpaceLimitKiB = "262144";  // 256 MiB

std::string Hex(std::uint32_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

bool IsInside(const std::string& path, const std::string& folder) {
  return path == folder || path.rfind(folder + "/", 0) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

HostileHome::HostileHome() {
  MakeFolder(dir_ / "bin");
  fs::copy_file(VELKOR_EXE, dir_ / "bin/velkor");
  fs::permissions(dir_ / "bin/velkor", fs::perms::owner_all);
  std::vector<sample::Member> references = sample::Nfs4ReferenceCar();
  for (const auto& member : sample::Nfs3ReferenceCar())
    if (member.first == "dash.qfs") references.push_back(member);
  MakeFolder(dir_ / ".local/share/Velkor");
  for (const auto& [name, bytes] : references) WriteBytes(dir_ / (".local/share/Velkor/" + name), bytes);

  MakeFolder(Nfs3Cars());
  MakeFolder(Nfs4Cars());
  MakeFolder(dir_ / ".config/Velkor");
  WriteText(dir_ / ".config/Velkor/registry.reg",
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Velkor\\velkor\\Settings]\n"
            "\"Installed\"=dword:00000001\n"
            "\"NFS3Path\"=\"" + (dir_ / "nfs3") + "/\"\n"
            "\"NFS4Path\"=\"" + (dir_ / "nfs4") + "/\"\n");
}

TreeSnapshot Snapshot(const std::string& root) {
  TreeSnapshot snapshot;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), root).string();
    const fs::file_status status = it->symlink_status();
    if (fs::is_symlink(status)) {
      snapshot[relative] = "<link> " + fs::read_symlink(it->path()).string();
    } else if (fs::is_directory(status)) {
      snapshot[relative] = "<folder>";
    } else if (it->file_size() > kLargestComparedFile) {
      // Large files (the program itself) by length and time of change only.
      snapshot[relative] = "<large> " + std::to_string(it->file_size()) + " " +
                           std::to_string(it->last_write_time().time_since_epoch().count());
    } else {
      snapshot[relative] = ReadText(it->path().string());
    }
  }
  return snapshot;
}

std::vector<std::string> Differences(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::set<std::string> paths;
  for (const auto& [path, content] : before) paths.insert(path);
  for (const auto& [path, content] : after) paths.insert(path);
  std::vector<std::string> differing;
  for (const std::string& path : paths) {
    const auto was = before.find(path);
    const auto is = after.find(path);
    if (was == before.end() || is == after.end() || was->second != is->second) differing.push_back(path);
  }
  return differing;
}

bool BuiltWithAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

RunResult RunLimited(const HostileHome& home, const std::vector<std::string>& args) {
  if (BuiltWithAddressSanitizer()) return RunVelkor(args, home.path(), {}, home.Executable());
  std::vector<std::string> shellArgs = {"-c", std::string("ulimit -v ") + kAddressSpaceLimitKiB + " && exec \"$0\" \"$@\"",
                                        home.Executable()};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  return RunVelkor(shellArgs, home.path(), {}, "/bin/sh");
}

int RunOnHostileInput(const HostileHome& home, const std::vector<std::string>& args,
                      const std::vector<std::string>& mayChange, const std::string& label) {
  const TreeSnapshot before = Snapshot(home.path());
  const RunResult run = RunLimited(home, args);
  const TreeSnapshot after = Snapshot(home.path());

  EXPECT_EQ(run.signal, 0) << label << ": ended by signal " << run.signal << "\n" << run.err;
  EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1) << label << ": exit status " << run.exitStatus << "\n"
                                                          << run.err;
  const std::vector<std::string> lines = Lines(run.err);
  for (const std::string& line : lines)
    EXPECT_EQ(line.rfind("velkor: ", 0), 0u) << label << ": stray output on stderr: " << line;
  if (run.exitStatus == 1) {
    EXPECT_FALSE(lines.empty()) << label << ": failed without a message";
    if (!lines.empty()) {
      EXPECT_NE(lines.back().rfind("velkor: warning: ", 0), 0u) << label << ": " << run.err;
    }
  }
  EXPECT_EQ(run.err.find("out of memory"), std::string::npos) << label << ": " << run.err;
  EXPECT_EQ(run.err.find("unexpected failure"), std::string::npos) << label << ": " << run.err;

  for (const std::string& path : Differences(before, after)) {
    if (run.exitStatus != 0) {
      ADD_FAILURE() << label << ": a failed run changed '" << path << "'\n" << run.err;
      continue;
    }
    const bool allowed =
        std::any_of(mayChange.begin(), mayChange.end(), [&](const std::string& folder) { return IsInside(path, folder); });
    EXPECT_TRUE(allowed) << label << ": changed '" << path << "' outside the folders it may write";
  }
  return run.exitStatus;
}

std::vector<Mutation> Truncations(const Bytes& bytes, const std::vector<std::size_t>& lengths) {
  std::set<std::size_t> unique(lengths.begin(), lengths.end());
  std::vector<Mutation> cuts;
  for (const std::size_t length : unique) {
    if (length >= bytes.size()) continue;
    cuts.push_back({"cut at " + std::to_string(length), Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length))});
  }
  return cuts;
}

std::vector<Mutation> FieldValues(const Bytes& bytes, std::size_t offset, bool bigEndian, const std::string& field,
                                  const std::vector<std::uint32_t>& extra) {
  std::vector<std::uint32_t> values = {0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000000};
  values.insert(values.end(), extra.begin(), extra.end());
  std::vector<Mutation> mutations;
  for (const std::uint32_t value : values) {
    Bytes changed = bytes;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::size_t shift = bigEndian ? 8 * (3 - i) : 8 * i;
      changed.at(offset + i) = static_cast<std::uint8_t>(value >> shift);
    }
    mutations.push_back({field + " = " + Hex(value), std::move(changed)});
  }
  return mutations;
}

}  // namespace velkor::test
