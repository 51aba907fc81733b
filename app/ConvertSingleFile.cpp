#include <string>
#include <string_view>

#include "app/CarGame.h"
#include "app/Workflows.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "carp/PerformanceFileNames.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"
#include "model/FrontEndNames.h"

namespace velkor {
namespace {

enum class Kind { None, Model, FrontEnd, Performance };

// The kind is decided by the exact, case-sensitive end of the path; the first rule that
// matches wins. The content is never examined.
Kind KindOf(std::string_view path) {
  if (EndsWith(path, ".fce")) return Kind::Model;
  if (EndsWithFrontEndFileName(path)) return Kind::FrontEnd;
  if (EndsWithPerformanceFileName(path)) return Kind::Performance;
  return Kind::None;
}

// Reads the file as the source game's class, then has it write the target's version.
template <typename Source, typename Conversion>
void LoadAndConvert(const std::string& path, Conversion convert) {
  Source source(path);
  source.Load();
  convert(source);
}

}  // namespace

void ConvertSingleFile(const std::string& path, Game target) {
  RefuseFileOfWrongGame(path, target);
  const Kind kind = KindOf(path);
  if (kind == Kind::None) {
    throw CommandError("cannot convert '" + path +
                       "': only car models (\".fce\"), front-end files (\"fedata.eng\", \"fedata.bri\", "
                       "\"fedata.ger\", \"fedata.fre\", \"fedata.ita\", \"fedata.spa\", \"fedata.swe\") and "
                       "performance files (\"carp.txt\", \"carp1.txt\" to \"carp3.txt\") convert, named in lower case");
  }
  // The last character of every matching name is a letter, so the output never is the input.
  std::string output = path;
  output.back() = target == Game::Nfs3 ? '3' : '4';

  const bool toNfs3 = target == Game::Nfs3;
  switch (kind) {
    case Kind::Model:
      if (toNfs3) {
        LoadAndConvert<Fce4File>(path, [&](const Fce4File& f) { f.ConvertTo3(output, 0); });
      } else {
        LoadAndConvert<Fce3File>(path, [&](const Fce3File& f) { f.ConvertTo4(output); });
      }
      return;
    case Kind::FrontEnd:
      if (toNfs3) {
        LoadAndConvert<FeData4File>(path, [&](const FeData4File& f) { f.ConvertTo3(output); });
      } else {
        LoadAndConvert<FeData3File>(path, [&](const FeData3File& f) { f.ConvertTo4(output); });
      }
      return;
    case Kind::Performance:
      if (toNfs3) {
        LoadAndConvert<Carp4File>(path, [&](const Carp4File& f) { f.ConvertTo3(output); });
      } else {
        LoadAndConvert<Carp3File>(path, [&](const Carp3File& f) { f.ConvertTo4(output); });
      }
      return;
    case Kind::None:
      return;
  }
}

}  // namespace velkor
