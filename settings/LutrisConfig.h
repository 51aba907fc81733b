#pragma once

#include <optional>
#include <string>

namespace velkor {

// The Wine prefix of a Lutris game configuration (a YAML file): the value of the key
// "prefix" inside the top-level mapping "game":
//
//   game:
//     exe: /home/u/Games/nfs3/drive_c/nfs3.exe
//     prefix: '/home/u/Games/nfs3'   # plain, '...' or "..." scalars, folded over lines
//
// Only what these files use is read: block mappings indented by blanks, comments, plain
// and quoted scalars. Nothing when the file names no prefix (or a null one); the value is
// returned as written ("~/Games/x" keeps its "~"). Raises FormatError naming `path` for
// text that is not such YAML (tabs in indentation, unclosed quotes, a "game" that is not
// a mapping, block scalars, aliases).
std::optional<std::string> ReadLutrisPrefix(const std::string& path, const std::string& text);

}  // namespace velkor
