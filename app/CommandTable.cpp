#include "app/CommandTable.h"

#include <algorithm>

#include "app/CommandHandlers.h"
#include "app/Thumbnail.h"
#include "base/Errors.h"
#include "settings/ShellClasses.h"

namespace velkor {
namespace {

using enum Operands;
using enum StartUp;
using enum UsageGroup;

// The verbs' switches are spelled once, with the verbs the file managers and the registry
// pass them in (settings/ShellClasses.h).
constexpr CommandRow kRows[] = {
    {.spellings = {kExtract.commandSwitch}, .operands = OnePath, .handler = ExtractCommand, .usageGroup = Verbs,
     .usageOperands = "ARCHIVE.viv", .help = "unpack the archive into a folder beside it"},
    {.spellings = {kPack.commandSwitch}, .operands = OnePath, .handler = PackCommand, .usageGroup = Verbs,
     .usageOperands = "FOLDER", .help = "pack the folder's files into FOLDER.viv beside it"},
    {.spellings = {kConvert3.commandSwitch}, .operands = OnePath,
     .handler = [](const Command& c, const RunContext& r) { ConvertCommand(c, r, Game::Nfs3, false); },
     .usageGroup = Verbs, .usageOperands = "PATH",
     .help = "convert a car (car.viv) or a loose file to NFS3, beside the input"},
    {.spellings = {kConvertInstall3.commandSwitch}, .operands = OnePath,
     .handler = [](const Command& c, const RunContext& r) { ConvertCommand(c, r, Game::Nfs3, true); },
     .usageGroup = Verbs, .usageOperands = "PATH",
     .help = "convert a car to NFS3 and install it into NFS3's car folder"},
    {.spellings = {kConvert4.commandSwitch}, .operands = OnePath,
     .handler = [](const Command& c, const RunContext& r) { ConvertCommand(c, r, Game::Nfs4, false); },
     .usageGroup = Verbs, .usageOperands = "PATH",
     .help = "convert a car (car.viv) or a loose file to NFS4, beside the input"},
    {.spellings = {kConvertInstall4.commandSwitch}, .operands = OnePath,
     .handler = [](const Command& c, const RunContext& r) { ConvertCommand(c, r, Game::Nfs4, true); },
     .usageGroup = Verbs, .usageOperands = "PATH",
     .help = "convert a car to NFS4 and install it into NFS4's car folder"},
    {.spellings = {"--list"}, .operands = OnePath, .startUp = Nothing, .printsOnStandardOutput = true,
     .handler = ListArchiveCommand, .usageGroup = Options, .usageOperands = "ARCHIVE.viv",
     .help = "print an archive's directory without unpacking it"},
    {.spellings = {"--check"}, .operands = OnePath, .printsOnStandardOutput = true, .handler = CheckCommand,
     .usageGroup = Options, .usageOperands = "PATH",
     .help = "describe a car or loose file and each problem found; writes nothing"},
    {.spellings = {"--cars"}, .optionalFlag = "--json", .printsOnStandardOutput = true, .handler = CarsCommand,
     .usageGroup = Options, .usageOperands = "[--json]",
     .help = "list the installed cars of both games, marking shared serial numbers"},
    {.spellings = {"--export"}, .operands = OnePath, .startUp = Nothing, .handler = ExportCommand,
     .usageGroup = Options, .usageOperands = "PATH",
     .help = "write a car or model as X.glb, a TGA as X.png, an FSH or QFS as a folder X of PNGs"},
    {.spellings = {"--setup"}, .startUp = SetupAgain, .printsOnStandardOutput = true, .handler = SetupCommand,
     .usageGroup = Options, .help = "find the games and collect the reference files again, with a report"},
    {.spellings = {"--restore"}, .operands = OnePath, .printsOnStandardOutput = true, .handler = RestoreCommand,
     .usageGroup = Options, .usageOperands = "ARCHIVE",
     .help = "put back the car archive that the last installation replaced"},
    // The desktop's thumbnail services run this for every file they show: nothing else first.
    {.spellings = {"--thumbnail"}, .operands = Words, .wordCount = 3, .startUp = Nothing,
     .handler = [](const Command& c, const RunContext&) { ThumbnailCommand(c.words); }, .usageGroup = Options,
     .usageOperands = "SIZE INPUT OUTPUT",
     .help = "write a PNG of at most SIZE x SIZE pixels showing a car, model or image (Linux)"},
    // The file-manager scripts report a selection that a verb does not fit through this, so
    // that with --notify the desktop shows it as it shows Velkor's own failures.
    {.spellings = {"--refuse"}, .operands = OnePath, .startUp = Nothing,
     .handler = [](const Command& c, const RunContext&) { throw CommandError(c.path); }},
    // Removing the registrations must not start by making them: no first-run setup.
    {.spellings = {"--unregister"}, .startUp = RegistryOnly, .handler = UnregisterCommand, .usageGroup = Options,
     .help = "remove Velkor's verbs and file-manager entries"},
    {.spellings = {"--help", "-h", "/?"}, .startUp = Nothing, .printsOnStandardOutput = true, .handler = ShowUsage,
     .usageGroup = Options, .help = "print this text"},
    {.spellings = {"--version"}, .startUp = Nothing, .printsOnStandardOutput = true, .handler = ShowVersion,
     .usageGroup = Options, .help = "print Velkor's version"},
};

constexpr CommandRow kStartUpOnly{.handler = NothingMore};

}  // namespace

std::span<const CommandRow> CommandTable() { return kRows; }

const CommandRow* FindCommand(std::string_view word, std::span<const CommandRow> rows) {
  if (word.empty()) return nullptr;
  for (const CommandRow& row : rows)
    if (std::ranges::find(row.spellings, word) != row.spellings.end()) return &row;
  return nullptr;
}

const CommandRow& StartUpOnly() { return kStartUpOnly; }

}  // namespace velkor
