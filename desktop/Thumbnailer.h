#pragma once

// The freedesktop thumbnailer entry that lets the desktop's thumbnail services (tumbler,
// GNOME's) draw Velkor's files with `velkor --thumbnail SIZE INPUT OUTPUT`.

#include <string>
#include <vector>

namespace velkor::desktop {

// The types Velkor defines that it draws thumbnails of.
const std::vector<std::string>& ThumbnailTypes();

// The entry's text for the program at `executable`: an absolute path (the per-user entry),
// or a bare name looked up in PATH (the entry installed with the program).
std::string ThumbnailerEntry(const std::string& executable);

// The per-user entry's path: $XDG_DATA_HOME/thumbnailers/velkor.thumbnailer.
std::string UserThumbnailerPath(const std::string& dataHome);

}  // namespace velkor::desktop
