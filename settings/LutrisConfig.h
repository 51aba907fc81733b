#pragma once

#include <optional>
#include <string>

namespace velkor {

// The Wine prefix of a Lutris game configuration (a YAML file): the value of the key
// "prefix" inside the top-level mapping "game":
//
//   game:
//     exe: /home/u/Games/nfs3/drive_c/nfs3.exe
//     launch_configs:
//     - exe: setup.exe
//     prefix: '/home/u/Games/nfs3'
//
// The file is read as YAML by libyaml (the library below the one that writes these
// files), so whatever YAML Lutris writes is understood. Nothing when the file names no
// prefix (a null one, no "game", or a first document that is not a mapping); the value is
// returned as written ("~/Games/x" keeps its "~"). Raises FormatError naming `path` and a
// line for text that is not YAML, a "game" that is not a mapping, or a prefix that is not
// a single value or holds a NUL character.
std::optional<std::string> ReadLutrisPrefix(const std::string& path, const std::string& text);

}  // namespace velkor
