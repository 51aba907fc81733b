#pragma once

// Recognition of a game file's kind from its name and, where both games use the same
// name, from its first bytes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "files/GameFile.h"
#include "platform/File.h"

namespace velkor {

enum class FileKind { Plain, Viv, Fsh, Qfs, Tga, Fce3, Fce4, FeData3, FeData4, Carp3, Carp4 };

// The type tag of the class that stands for `kind` ("VIV", "CARP3", ...; empty for Plain).
const char* TypeTagOf(FileKind kind);

// The kind of a file named `path` whose content is the `length` bytes of `content` from
// `offset` (the file itself, or a member inside an archive). Reads only what the rule
// that the name matches needs: nothing, the first 4 bytes, or the text up to the first
// NUL; bytes missing from a short file count as zero.
FileKind RecogniseFileKind(const std::string& path, platform::File& content, std::uint64_t offset, std::uint64_t length);

// Constructs the object of the kind that `path` holds and loads it; an unrecognised file
// becomes a plain GameFile. The object is constructed on `path` as given (file names are
// case-sensitive on POSIX, so the lower-cased form could name another file). Errors of the
// content test and of the kind's Load pass to the caller. A `length` given is taken as the
// file's length (see GameFileOpener).
std::unique_ptr<GameFile> OpenGameFile(std::string path, std::optional<std::uint64_t> length = std::nullopt);

// As OpenGameFile for a file whose bytes lie at `packedIn` (a member left in its archive,
// see VivArchive::openPacked), read from there. No file is written for it: an FSH file
// leaves its images packed, and a nested archive its members.
std::unique_ptr<GameFile> OpenPackedGameFile(std::string path, const ContentRange& packedIn);

}  // namespace velkor
