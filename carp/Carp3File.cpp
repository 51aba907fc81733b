#include "carp/Carp3File.h"

#include <algorithm>
#include <utility>

#include "carp/Carp4File.h"
#include "carp/PerformanceText.h"

namespace velkor {
namespace {

// Each "automatic" parameter (75 to 79) follows its manual counterpart.
constexpr std::array<int, kNfs3ParameterCount> kNfs3EntryOrder = [] {
  std::array<int, kNfs3ParameterCount> order{0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  for (int label = 12, place = 17; label <= 74; ++label, ++place) order[place] = label;
  return order;
}();

}  // namespace

Carp3File::Carp3File(std::string p) : GameFile(std::move(p)) { typeTag = "CARP3"; }

int Carp3File::Load() {
  size = LoadPerformanceValues(OpenContent(), values);
  return 1;
}

int Carp3File::SaveAs(std::string p) {
  size = WritePerformanceText(p, BuildPerformanceText(kNfs3EntryOrder, values));
  return 1;
}

int Carp3File::ConvertTo4(std::string p) const {
  Carp4File nfs4(std::move(p));
  nfs4.Reset();
  std::copy(values.begin(), values.end(), nfs4.values.begin());
  nfs4.values[80] = "1.000000";  // the understeer gradient that NFS3 does not have
  nfs4.Save();
  return 1;
}

}  // namespace velkor
