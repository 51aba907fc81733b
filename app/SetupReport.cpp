#include "app/SetupReport.h"

#include "base/Text.h"
#include "platform/Process.h"

namespace velkor {
namespace {

void PrintGame(Game game, const GameLocation& location, const std::string& storedPath, std::ostream& out) {
  out << ShortName(game) << " (" << FullName(game) << "): ";
  if (storedPath != kNotAvailable) {
    out << storedPath << "\n  found in " << location.foundIn << "\n";
    return;
  }
  out << "not found\n  searched:\n";
  for (const std::string& place : location.searched) out << "    " << place << "\n";
}

}  // namespace

void PrintSetupReport(const SetupReport& report, std::ostream& out) {
  PrintGame(Game::Nfs3, report.nfs3, report.paths.nfs3Path, out);
  PrintGame(Game::Nfs4, report.nfs4, report.paths.nfs4Path, out);
  if (report.referenceFiles.empty()) {
    out << "reference files: none collected\n";
  } else {
    out << "reference files collected into " << report.referenceFolder << ":\n";
    for (const std::string& file : report.referenceFiles) out << "  " << file << "\n";
  }
  if (report.integrationWritten.empty()) {
    out << "file-manager integration: none\n";
  } else {
    out << "file-manager integration written:\n";
    for (const std::string& file : report.integrationWritten) out << "  " << file << "\n";
  }
  // Thunar reads its custom actions only when it starts.
  for (const std::string& file : report.integrationWritten)
    if (EndsWith(file, "/Thunar/uca.xml") && platform::UserRunsProgram("thunar"))
      out << "Thunar is running and shows the new actions only once it starts again: run 'thunar -q' to end it\n";
}

}  // namespace velkor
