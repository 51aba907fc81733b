#pragma once

#include <memory>

#include "files/GameFile.h"

namespace velkor {

// Keeps a game file object alive until the process ends and returns it.
//
// The objects that unpacking creates (an archive's members, an FSH file's images) belong
// to no workflow: they must outlive the archive that made them, and the folders they
// unpacked must stay after an extraction. An object handed over here is told to keep its
// unpacked folder, so destroying it at the end of the run deletes nothing;
// folders inside a conversion's working folder go when that folder's owner deletes it.
GameFile& KeepUntilEndOfRun(std::unique_ptr<GameFile> file);

// Destroys every object kept so far, newest first: for a process that performs many
// commands one after another (the fuzzing harnesses), at the end of each.
void EndOfRun();

}  // namespace velkor
