#pragma once

// Velkor's verbs in the Linux file managers, for the user running Velkor: MIME types, a
// desktop entry for archives, Dolphin service menus, Nemo actions, FileManager-Actions
// files (PCManFM, PCManFM-Qt, Caja), Nautilus and Caja
// scripts and Thunar custom actions. Every entry runs "<executable>" --notify <switch> <file>.

#include <string>
#include <vector>

namespace velkor::desktop {

// Writes (or rewrites) every entry, replacing Velkor's earlier ones, and refreshes the MIME
// and desktop-entry caches when their programs are installed. An entry that cannot be
// written is passed over with a warning. Returns the files written.
std::vector<std::string> RegisterDesktopIntegration(const std::string& executable);

// Removes what RegisterDesktopIntegration wrote, and Velkor's own Thunar actions; returns
// the files removed or rewritten.
std::vector<std::string> UnregisterDesktopIntegration();

}  // namespace velkor::desktop
