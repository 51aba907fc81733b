#pragma once

// What each row of the command table runs (app/CommandTable.h).

#include "app/CommandLine.h"
#include "app/Game.h"

namespace velkor {

void ShowUsage(const Command& command, const RunContext& context);
void ShowVersion(const Command& command, const RunContext& context);
void ListArchiveCommand(const Command& command, const RunContext& context);
void ExtractCommand(const Command& command, const RunContext& context);
void PackCommand(const Command& command, const RunContext& context);
void RestoreCommand(const Command& command, const RunContext& context);
void UnregisterCommand(const Command& command, const RunContext& context);
// Prints the report of the first-run setup that this run performed.
void SetupCommand(const Command& command, const RunContext& context);
// The empty command line: the start-up work was all there was to do.
void NothingMore(const Command& command, const RunContext& context);

// A car archive (ending ".viv" exactly, as the shell verbs pass it) or one loose file,
// converted to `target`; an archive is installed into the game's car folder with `install`.
void ConvertCommand(const Command& command, const RunContext& context, Game target, bool install);

}  // namespace velkor
