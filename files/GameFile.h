#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/File.h"

namespace velkor {

// Where the bytes of a file that was never written out lie: `length` bytes of the file
// `file` from `offset` (a member left packed in its archive).
struct ContentRange {
  std::string file;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Base of every kind of game file. On its own it stands for a file of unrecognised kind:
// it knows its path and length, and an archive packs it by copying its bytes.
class GameFile {
 public:
  explicit GameFile(std::string path);
  virtual ~GameFile();
  GameFile(const GameFile&) = delete;
  GameFile& operator=(const GameFile&) = delete;

  // Puts the object into the state of a new, empty file of its kind.
  virtual int Reset();
  // Reads the file at `path` (or the range `packedIn`); sets `size` to its length.
  virtual int Load();
  // SaveAs with the object's own path.
  virtual int Save();
  // Writes the whole content as file p; afterwards `size` is the length written.
  virtual int SaveAs(std::string p);

  // The part of `path` after its last file-name boundary, or the whole path.
  std::string GetFileName() const;

  // Files that unpack into a folder of their own (archives, image files) delete it when
  // they go away; after this call they leave it in place. Other files have no folder.
  virtual void KeepUnpackedFolder() {}

  // Opens the file's bytes for reading, for Load and for an archive that packs the file:
  // the file at `path`, or the range `packedIn` (messages still name `path`). A file
  // that stands for a copy of another (FileCopy) opens the original.
  virtual platform::File OpenContent() const;

  std::string typeTag;
  std::string path;
  std::int32_t size = 0;
  // Set for a file whose bytes were left inside another file: loading and packing read
  // them from there, and nothing exists at `path`.
  std::optional<ContentRange> packedIn;
};

// Makes the object of the right kind for a file and loads it (see OpenGameFile). Archives
// are given one, so that they can open their members without knowing every kind. A
// `length` given is the file's length as the caller knows it (a member it has just
// written), which spares asking the system.
using GameFileOpener = std::unique_ptr<GameFile> (*)(std::string path, std::optional<std::uint64_t> length);

// True when the file can be opened for reading; false for folders and missing files.
bool FileExists(const std::string& path);

// Deletes a folder with everything in it. Symbolic links are removed, never followed.
// Failures are passed over: what cannot be deleted stays, and its folders with it.
void DeleteFolderTree(const std::string& folder);

// Checks a file length against the 32-bit `size` field of the formats; raises FormatError.
std::int32_t CheckedFileSize(const std::string& path, std::uint64_t length);

}  // namespace velkor
